/*
 * Parser.cpp - turns a pattern text into the node tree, and the compile steps after it.
 *
 * A recursive-descent parser: one call per group, a loop per alternative. Literal
 * characters gather into a run that becomes one character or string node; a quantifier
 * after a run takes only its last character. Inline modifiers change the flags of the
 * enclosing group from that point on. Each group gets a table of which alternatives
 * can begin with which byte, and each repeat the byte its continuation must begin with.
 * Pattern::compile at the end of this file runs the steps after parsing; Analysis.cpp
 * settles where matches can begin. Deep nesting is bounded by the thread's stack.
 */
#include <cstdint>
#include <cstring>

#include "regex/LazyDfa.h"
#include "regex/Nodes.h"

namespace regex {

namespace {

[[noreturn]] void fail(const char* message) { throw bad_regexpr(message); }

constexpr int64_t max_repeat_count = INT32_MAX - 1;

bool is_extended_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// What the last item of a sequence is, for the quantifier that may follow it.
enum class last_item { none, literal, node, zero_width, recursion, conditional };

}  // namespace

class pattern_parser {
public:
    explicit pattern_parser(Pattern& pattern)
        : pat_(pattern), arena_(*pattern.arena_), p_(pattern.pattern_.data()),
          end_(pattern.pattern_.data() + pattern.pattern_.size()), stack_limit_(thread_stack_limit())
    {
    }

    // Parse the whole pattern as group 0.
    match_group* parse_top()
    {
        groups_opened_ = 1;
        uint32_t flags = pat_.flags_;
        match_group* g = make_group(0);
        parse_alternatives(g, flags, true);
        return g;
    }

    int groups_opened() const { return groups_opened_; }
    int quantifiers() const { return quantifiers_; }
    bool has_recursion() const { return has_recursion_; }
    int highest_backref() const { return highest_backref_; }

private:
    // The items of one alternative while it is parsed.
    struct sequence {
        std::vector<sub_expr*> nodes;  // finished nodes in order
        std::string run;               // pending literal characters
        bool run_nocase = false;       // whether the pending run folds case
        last_item last = last_item::none;  // what a quantifier would apply to
    };

    match_group* make_group(int number)
    {
        match_group* g = arena_.make<match_group>();
        g->number = number;
        g->end = arena_.make<group_end>(g, number);
        return g;
    }

    void check_depth() const
    {
        if (static_cast<const char*>(__builtin_frame_address(0)) < stack_limit_)
            fail("ill-formed regular expression");
    }

    // Skip white space and "#" comments in extended mode.
    void skip_space(uint32_t flags)
    {
        if (!(flags & EXTENDED))
            return;
        while (p_ < end_) {
            if (is_extended_space(*p_)) {
                ++p_;
            } else if (*p_ == '#') {
                while (p_ < end_ && *p_ != '\n')
                    ++p_;
                if (p_ < end_)
                    ++p_;
            } else {
                break;
            }
        }
    }

    // Alternatives up to the group's ")" (consumed), or up to the pattern end for group 0.
    void parse_alternatives(match_group* g, uint32_t flags, bool top)
    {
        check_depth();
        std::vector<sub_expr*> alts;
        for (;;) {
            sequence seq;
            char stop = parse_sequence(seq, flags);
            alts.push_back(finish_sequence(seq, g->end));
            if (stop == '|')
                continue;
            if (stop == ')' && top)
                fail("mismatched parenthesis");
            if (stop == '\0' && !top)
                fail("mismatched parenthesis");
            break;
        }
        g->alt_count = static_cast<int>(alts.size());
        g->alts = arena_.make_array<sub_expr*>(alts.size());
        std::copy(alts.begin(), alts.end(), g->alts);
        build_alt_filter(g);
    }

    // Per byte, the alternatives that can begin with it (nullable ones with every byte).
    void build_alt_filter(match_group* g)
    {
        if (g->alt_count < 2 || g->alt_count > 64)
            return;
        uint64_t* filter = arena_.make_array<uint64_t>(256);
        for (int i = 0; i < g->alt_count; ++i) {
            char_set first;
            bool nullable = chain_first_bytes(g->alts[i], first);
            for (unsigned c = 0; c < 256; ++c)
                if (nullable || first.test(static_cast<unsigned char>(c)))
                    filter[c] |= uint64_t(1) << i;
        }
        g->alt_filter = filter;
    }

    // Parse items until "|", ")" or the end; returns which of them stopped it ('\0': end).
    char parse_sequence(sequence& seq, uint32_t& flags)
    {
        for (;;) {
            skip_space(flags);
            if (p_ >= end_)
                return '\0';
            char c = *p_;
            if (c == '|' || c == ')') {
                ++p_;
                return c;
            }
            if (c == '*' || c == '+' || c == '?' || (c == '{' && counted_quantifier_ahead())) {
                apply_quantifier(seq, flags);
                continue;
            }
            ++p_;
            switch (c) {
            case '(': parse_paren(seq, flags); break;
            case '^': add_node(seq, arena_.make<anchor_node>(anchor_type::line_begin, flags & MULTILINE), last_item::zero_width); break;
            case '$': add_node(seq, arena_.make<anchor_node>(anchor_type::line_end, flags & MULTILINE), last_item::zero_width); break;
            case '[': add_node(seq, arena_.make<set_node>(parse_bracket(p_, end_, flags & NOCASE, pat_.flags_ & NORMALIZE)), last_item::node); break;
            case '.': add_node(seq, arena_.make<set_node>(dot_set(flags)), last_item::node); break;
            case '\\': parse_escape(seq, flags); break;
            default: add_literal(seq, c, flags); break;
            }
        }
    }

    static char_set dot_set(uint32_t flags)
    {
        char_set s;
        s.invert();
        if (!(flags & SINGLELINE))
            s.bits[0] &= ~(uint64_t(1) << '\n');
        return s;
    }

    void add_literal(sequence& seq, char c, uint32_t flags)
    {
        bool nocase = (flags & NOCASE) != 0;
        if (!seq.run.empty() && seq.run_nocase != nocase)
            flush_run(seq);
        seq.run_nocase = nocase;
        seq.run.push_back(c);
        seq.last = last_item::literal;
    }

    void add_node(sequence& seq, sub_expr* n, last_item kind)
    {
        flush_run(seq);
        seq.nodes.push_back(n);
        seq.last = kind;
    }

    // Turn the pending literal run into a character or string node.
    void flush_run(sequence& seq)
    {
        if (seq.run.empty())
            return;
        seq.nodes.push_back(literal_node(seq.run, seq.run_nocase));
        seq.run.clear();
    }

    sub_expr* literal_node(const std::string& run, bool nocase)
    {
        bool has_letter = false;
        for (char c : run)
            has_letter |= is_alpha_ascii(static_cast<unsigned char>(c));
        nocase &= has_letter;
        if (run.size() == 1) {
            unsigned char c = static_cast<unsigned char>(run[0]);
            return nocase ? static_cast<sub_expr*>(arena_.make<nocase_char_node>(c)) : arena_.make<char_node>(c);
        }
        int n = static_cast<int>(run.size());
        if (!nocase)
            return arena_.make<string_node>(copy_text(run), n);
        std::string lower = run, upper = run;
        for (size_t i = 0; i < run.size(); ++i) {
            lower[i] = static_cast<char>(to_lower_ascii(static_cast<unsigned char>(run[i])));
            upper[i] = static_cast<char>(to_upper_ascii(static_cast<unsigned char>(run[i])));
        }
        return arena_.make<nocase_string_node>(copy_text(lower), copy_text(upper), n);
    }

    const char* copy_text(const std::string& s)
    {
        char* t = arena_.make_array<char>(s.size());
        std::memcpy(t, s.data(), s.size());
        return t;
    }

    // Link the sequence into a chain ending in `end`; returns its first node.
    sub_expr* finish_sequence(sequence& seq, sub_expr* end)
    {
        flush_run(seq);
        sub_expr* next = end;
        for (size_t i = seq.nodes.size(); i-- > 0;) {
            seq.nodes[i]->next = next;
            next = seq.nodes[i];
        }
        return next;
    }

    // Whether "{" at p_ starts "{n}", "{n,}", "{n,m}" or "{,m}".
    bool counted_quantifier_ahead() const
    {
        const char* q = p_ + 1;
        const char* digits = q;
        while (q < end_ && is_digit_ascii(static_cast<unsigned char>(*q)))
            ++q;
        bool has_n = q > digits;
        if (q < end_ && *q == '}')
            return has_n;
        if (q >= end_ || *q != ',')
            return false;
        const char* m = ++q;
        while (q < end_ && is_digit_ascii(static_cast<unsigned char>(*q)))
            ++q;
        return q < end_ && *q == '}' && (has_n || q > m);
    }

    int64_t read_count()
    {
        int64_t value = 0;
        while (p_ < end_ && is_digit_ascii(static_cast<unsigned char>(*p_))) {
            value = value * 10 + (*p_++ - '0');
            if (value > max_repeat_count)
                fail("ill-formed regular expression");
        }
        return value;
    }

    void apply_quantifier(sequence& seq, uint32_t flags)
    {
        int64_t min = 0, max = INT32_MAX;
        char c = *p_++;
        if (c == '+') {
            min = 1;
        } else if (c == '?') {
            max = 1;
        } else if (c == '{') {
            min = read_count();
            if (*p_ == '}') {
                max = min;
            } else {
                ++p_;
                max = (*p_ == '}') ? INT32_MAX : read_count();
            }
            ++p_;
            if (max < min)
                fail("Can't do {n, m} with n > m");
        }
        skip_space(flags);
        bool greedy = true;
        if (p_ < end_ && *p_ == '?') {
            greedy = false;
            ++p_;
        }
        sub_expr* atom = take_atom(seq);
        seq.nodes.push_back(quantify(atom, static_cast<int>(min), static_cast<int>(max), greedy));
        seq.last = last_item::none;
    }

    // Remove the item a quantifier applies to from the sequence.
    sub_expr* take_atom(sequence& seq)
    {
        switch (seq.last) {
        case last_item::none:
        case last_item::zero_width:
            fail("quantifier not expected");
        case last_item::recursion:
            fail("recursion sub-expression cannot be quantified");
        case last_item::conditional:
            fail("sub-expression cannot be quantified");
        case last_item::literal: {
            char c = seq.run.back();
            bool nocase = seq.run_nocase;
            seq.run.pop_back();
            flush_run(seq);
            return literal_node(std::string(1, c), nocase);
        }
        case last_item::node:
            break;
        }
        sub_expr* atom = seq.nodes.back();
        seq.nodes.pop_back();
        return atom;
    }

    sub_expr* quantify(sub_expr* atom, int min, int max, bool greedy)
    {
        if (min == 1 && max == 1)
            return atom;
        char_set set;
        switch (atom->kind) {
        case node_kind::character:
        case node_kind::nocase_character:
        case node_kind::set: {
            atom->first_bytes(set);
            repeat_node* r = arena_.make<repeat_node>(set, min, max, greedy);
            r->accepts_all = set.all();
            return r;
        }
        case node_kind::group: {
            auto* g = static_cast<match_group*>(atom);
            auto* q = arena_.make<group_quantifier>(g, min, max, greedy, quantifiers_++);
            g->next = arena_.make<quant_loop>(q);
            return q;
        }
        default: {
            // Back-references and independent groups repeat as a unit inside a group.
            match_group* wrapper = make_group(-1);
            wrapper->alt_count = 1;
            wrapper->alts = arena_.make_array<sub_expr*>(1);
            wrapper->alts[0] = atom;
            atom->next = wrapper->end;
            return quantify(wrapper, min, max, greedy);
        }
        }
    }

    void parse_escape(sequence& seq, uint32_t flags)
    {
        if (p_ >= end_) {
            add_literal(seq, '\\', flags);
            return;
        }
        char c = *p_++;
        switch (c) {
        case 'd': case 'D': case 'w': case 'W': case 's': case 'S':
            add_node(seq, arena_.make<set_node>(escape_class_set(c)), last_item::node);
            return;
        case 'A': add_anchor(seq, anchor_type::subject_begin); return;
        case 'Z': add_anchor(seq, anchor_type::subject_end_nl); return;
        case 'z': add_anchor(seq, anchor_type::subject_end); return;
        case 'b': add_anchor(seq, anchor_type::word_boundary); return;
        case 'B': add_anchor(seq, anchor_type::not_word_boundary); return;
        case 'Q': parse_quote(seq, flags); return;
        case 'E': fail("quotemeta turned off, but was never turned on");
        case 'e': add_literal(seq, 27, flags); return;
        case 'x': add_literal(seq, read_hex2(), flags); return;
        case 'c':
            if (p_ >= end_)
                fail("incomplete escape sequence \\c");
            add_literal(seq, static_cast<char>(to_upper_ascii(static_cast<unsigned char>(*p_++)) ^ 64), flags);
            return;
        case '0': add_literal(seq, read_octal(0, 2), flags); return;
        default:
            break;
        }
        if (c >= '1' && c <= '9') {
            parse_number_escape(seq, flags);
            return;
        }
        const int control = (pat_.flags_ & NORMALIZE) ? control_escape(c, "afnrt") : -1;
        add_literal(seq, control >= 0 ? static_cast<char>(control) : c, flags);
    }

    void add_anchor(sequence& seq, anchor_type t) { add_node(seq, arena_.make<anchor_node>(t, false), last_item::zero_width); }

    char read_hex2()
    {
        int value = 0;
        for (int i = 0; i < 2 && p_ < end_ && hex_digit_value(*p_) >= 0; ++i)
            value = value * 16 + hex_digit_value(*p_++);
        return static_cast<char>(value);
    }

    // Up to `more` octal digits after an initial value.
    char read_octal(int value, int more)
    {
        for (int i = 0; i < more && p_ < end_ && *p_ >= '0' && *p_ <= '7'; ++i)
            value = value * 8 + (*p_++ - '0');
        return static_cast<char>(value & 0xff);
    }

    // "\N": a back-reference, or (N >= 10 without that many groups yet) an octal code.
    void parse_number_escape(sequence& seq, uint32_t flags)
    {
        const char* digits = p_ - 1;
        int64_t n = 0;
        const char* q = digits;
        while (q < end_ && is_digit_ascii(static_cast<unsigned char>(*q)) && n <= INT32_MAX)
            n = n * 10 + (*q++ - '0');
        while (q < end_ && is_digit_ascii(static_cast<unsigned char>(*q)))
            ++q;
        if (n <= 9 || n < groups_opened_) {
            if (n > INT32_MAX - 1)
                fail("reference to nonexistent group");
            p_ = q;
            highest_backref_ = std::max(highest_backref_, static_cast<int>(n));
            add_node(seq, arena_.make<backref_node>(static_cast<int>(n), (flags & NOCASE) != 0), last_item::node);
            return;
        }
        p_ = digits;
        if (*p_ > '7') {
            add_literal(seq, *p_++, flags);
            return;
        }
        add_literal(seq, read_octal(0, 3), flags);
    }

    // "\Q": everything up to "\E" (or the end) is literal.
    void parse_quote(sequence& seq, uint32_t flags)
    {
        while (p_ < end_) {
            if (*p_ == '\\' && p_ + 1 < end_ && p_[1] == 'E') {
                p_ += 2;
                return;
            }
            add_literal(seq, *p_++, flags);
        }
    }

    void require_more()
    {
        if (p_ >= end_)
            fail("ill-formed regular expression");
    }

    // After "(": a group or one of the "(?" extensions.
    void parse_paren(sequence& seq, uint32_t& flags)
    {
        if (p_ >= end_ || *p_ != '?') {
            match_group* g = make_group(groups_opened_++);
            parse_alternatives(g, flags, false);
            add_node(seq, g, last_item::node);
            return;
        }
        ++p_;
        skip_space(flags);
        require_more();
        char c = *p_++;
        switch (c) {
        case ':': {
            require_more();
            match_group* g = make_group(-1);
            parse_alternatives(g, flags, false);
            add_node(seq, g, last_item::node);
            return;
        }
        case '=': case '!':
            add_node(seq, parse_assertion(flags, c == '!', false), last_item::zero_width);
            return;
        case '<':
            require_more();
            c = *p_++;
            if (c != '=' && c != '!')
                fail("bad extension sequence");
            add_node(seq, parse_assertion(flags, c == '!', true), last_item::zero_width);
            return;
        case '>': {
            require_more();
            int before = groups_opened_;
            match_group* body = parse_body(flags);
            auto* n = arena_.make<independent_node>(body);
            n->captures = groups_opened_ > before;
            add_node(seq, n, last_item::node);
            return;
        }
        case '#':
            while (p_ < end_ && *p_ != ')')
                ++p_;
            if (p_ >= end_)
                fail("Expecting end of comment");
            ++p_;
            return;
        case '(':
            parse_conditional(seq, flags);
            return;
        case 'R':
            require_more();
            if (*p_++ != ')')
                fail("bad extension sequence");
            has_recursion_ = true;
            add_node(seq, arena_.make<recursion_node>(), last_item::recursion);
            return;
        default:
            --p_;
            parse_modifiers(seq, flags);
            return;
        }
    }

    // A group body that ends in an assertion_end (assertions, independent groups).
    match_group* parse_body(uint32_t flags, bool behind = false)
    {
        match_group* body = make_group(-1);
        parse_alternatives(body, flags, false);
        body->next = arena_.make<assertion_end>(behind);
        return body;
    }

    assertion_node* parse_assertion(uint32_t flags, bool negative, bool behind)
    {
        require_more();
        int before = groups_opened_;
        match_group* body = parse_body(flags, behind);
        auto* a = arena_.make<assertion_node>(body, negative, behind);
        a->captures = groups_opened_ > before;
        a->body_width = body->width();
        return a;
    }

    // "(?imsx-imsx)" or "(?imsx-imsx:...)".
    void parse_modifiers(sequence& seq, uint32_t& flags)
    {
        uint32_t on = 0, off = 0;
        bool negate = false;
        for (;;) {
            require_more();
            char c = *p_++;
            uint32_t bit = 0;
            switch (c) {
            case 'i': bit = NOCASE; break;
            case 'm': bit = MULTILINE; break;
            case 's': bit = SINGLELINE; break;
            case 'x': bit = EXTENDED; break;
            case '-':
                if (negate)
                    fail("bad extension sequence");
                negate = true;
                continue;
            case ')':
                flags = (flags | on) & ~off;
                seq.last = last_item::zero_width;
                return;
            case ':': {
                require_more();
                match_group* g = make_group(-1);
                parse_alternatives(g, (flags | on) & ~off, false);
                add_node(seq, g, last_item::node);
                return;
            }
            default:
                fail("bad extension sequence");
            }
            (negate ? off : on) |= bit;
        }
    }

    // After "(?(": a group number or an assertion, then one or two alternatives.
    void parse_conditional(sequence& seq, uint32_t flags)
    {
        auto* cond = arena_.make<conditional_node>();
        require_more();
        if (is_digit_ascii(static_cast<unsigned char>(*p_))) {
            int64_t n = 0;
            while (p_ < end_ && is_digit_ascii(static_cast<unsigned char>(*p_)) && n <= INT32_MAX)
                n = n * 10 + (*p_++ - '0');
            require_more();
            if (*p_++ != ')' || n > INT32_MAX - 1)
                fail("bad extension sequence");
            cond->group = static_cast<int>(n);
            highest_backref_ = std::max(highest_backref_, cond->group);
        } else if (end_ - p_ >= 2 && p_[0] == '?' && (p_[1] == '=' || p_[1] == '!')) {
            p_ += 2;
            cond->cond = parse_assertion(flags, p_[-1] == '!', false);
        } else if (end_ - p_ >= 3 && p_[0] == '?' && p_[1] == '<' && (p_[2] == '=' || p_[2] == '!')) {
            p_ += 3;
            cond->cond = parse_assertion(flags, p_[-1] == '!', true);
        } else if (p_[0] == '?' && (end_ - p_ < 2 || (end_ - p_ == 2 && p_[1] == '<'))) {
            fail("ill-formed regular expression");
        } else {
            fail("bad extension sequence");
        }
        match_group* branches = make_group(-1);
        parse_alternatives(branches, flags, false);
        if (branches->alt_count > 2)
            fail("Too many alternates in conditional subexpression");
        cond->end = arena_.make<group_end>(cond, -1);
        cond->yes = relink(branches->alts[0], branches->end, cond->end);
        if (branches->alt_count == 2)
            cond->no = relink(branches->alts[1], branches->end, cond->end);
        add_node(seq, cond, last_item::conditional);
    }

    // Re-point a chain that ends in `from` to end in `to`.
    static sub_expr* relink(sub_expr* head, sub_expr* from, sub_expr* to)
    {
        if (head == from)
            return to;
        sub_expr* n = head;
        while (n->next != from)
            n = n->next;
        n->next = to;
        return head;
    }

    Pattern& pat_;                // the pattern being compiled
    arena_allocator& arena_;      // where the nodes go
    const char* p_;               // next character to read
    const char* end_;             // end of the pattern text
    const char* stack_limit_;     // deepest the parser's recursion may go
    int groups_opened_ = 0;       // capturing groups opened so far, group 0 included
    int quantifiers_ = 0;         // group quantifiers made so far
    bool has_recursion_ = false;  // the pattern holds "(?R)"
    int highest_backref_ = 0;     // largest group number referenced
};

Pattern::Pattern(uint32_t flags, std::string pattern, std::string substitution)
    : flags_(flags), pattern_(std::move(pattern)), substitution_(std::move(substitution))
{
}

Pattern::~Pattern() = default;

void Pattern::compile(dfa_use use)
{
    compiled_ = false;
    arena_ = std::make_unique<arena_allocator>();
    prefix_.reset();
    literal_only_ = false;
    prefixes_.reset();
    lead_suffix_.reset();
    lead_repeat_ = nullptr;
    required_.reset();
    must_.reset();
    starts_.reset();
    line_start_ = false;
    try_every_start_ = true;
    pattern_parser parser(*this);
    top_ = parser.parse_top();
    top_->next = arena_->make<end_node>();
    group_count_ = parser.groups_opened();
    quantifier_count_ = parser.quantifiers();
    if (parser.highest_backref() >= group_count_)
        throw bad_regexpr("reference to nonexistent group");
    plan_follow_sets();
    analyse(parser.has_recursion());
    plan_memo();
    plan_dfa(use);
    compiled_ = true;
    if (!substitution_.empty())
        set_substitution(std::string(substitution_));
}

}  // namespace regex
