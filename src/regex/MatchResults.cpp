/*
 * MatchResults.cpp - the record of one search: access, sizing and reset.
 */
#include "regex/MatchResults.h"

#include <stdexcept>

namespace regex {

std::string backref_tag::str() const
{
    return matched ? std::string(first, second) : std::string();
}

std::ptrdiff_t backref_tag::length() const
{
    return matched ? second - first : 0;
}

const backref_tag& MatchResults::at(size_t i) const
{
    if (i >= records_.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return records_[i];
}

backref_tag& MatchResults::at(size_t i)
{
    if (i >= records_.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return records_[i];
}

void MatchResults::resize(size_t n)
{
    records_.assign(n, backref_tag{});
}

void MatchResults::reset()
{
    for (backref_tag& r : records_)
        r.reset();
}

void MatchResults::release()
{
    std::vector<backref_tag>().swap(records_);
}

}  // namespace regex
