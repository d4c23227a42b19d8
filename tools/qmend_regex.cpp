/*
 * qmend-regex: the regex engine's test driver. Without arguments it reads cases from standard
 * input, one per line, and writes one result line per case (see RegexCases.h). With
 * "--count FLAGS PATTERN FILE" it counts the matches of PATTERN (taken as given, FLAGS "-"
 * for none, "g" always added) over the whole file's bytes through CRegexp::FindAll and
 * prints the count and the milliseconds that compiling and searching took, reading excluded;
 * a search that cannot finish is an error that says why.
 */
#include <getopt.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "RegexCases.h"
#include "regex/CRegexp.h"

namespace {

const char kUsage[] =
    "usage: qmend-regex < CASES\n"
    "       qmend-regex --count FLAGS PATTERN FILE\n";

int RunCases()
{
    std::string line;
    while (std::getline(std::cin, line))
        std::cout << regex_cases::RunCase(line) << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}

bool ReadFile(const char* path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int RunCount(const char* flagField, const char* pattern, const char* path)
{
    std::string text;
    if (!ReadFile(path, text)) {
        std::fprintf(stderr, "qmend-regex: cannot read %s\n", path);
        return 1;
    }
    const std::string flags = regex_cases::FlagsOf(flagField) + "g";
    const auto started = std::chrono::steady_clock::now();
    CRegexp facade;
    if (!facade.Compile(pattern, flags.c_str())) {
        std::fprintf(stderr, "qmend-regex: the pattern does not compile\n");
        return 1;
    }
    const int count = facade.FindAll(std::string_view(text));
    if (count < 0) {
        const bool stack = facade.GetSearchStop() == regex::search_stop::stack;
        std::fprintf(stderr, "qmend-regex: the search stopped: %s\n", stack ? "out of stack" : "too much backtracking");
        return 1;
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
    std::printf("%d\t%.3f\n", count, took.count());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    static const option kOptions[] = {{"count", no_argument, nullptr, 'c'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {nullptr, 0, nullptr, 0}};
    bool count = false;
    for (int option; (option = getopt_long(argc, argv, "+", kOptions, nullptr)) != -1;) {
        if (option == 'c') {
            count = true;
        } else {
            std::fputs(kUsage, option == 'h' ? stdout : stderr);
            return option == 'h' ? 0 : 2;
        }
    }
    const int rest = argc - optind;
    if (count && rest == 3)
        return RunCount(argv[optind], argv[optind + 1], argv[optind + 2]);
    if (!count && rest == 0)
        return RunCases();
    std::fputs(kUsage, stderr);
    return 2;
}
