// SPDX-License-Identifier: MIT
#include "cli/usage_error.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <limits>
#include <regex>

namespace m350::cli {

namespace {

// Edits between a and b: letters left out, added, changed, or two
// neighbours swapped.
std::size_t editDistance(std::string_view a, std::string_view b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isNumber(const std::string& s) {
    static const std::regex number(R"(-?[0-9]+(\.[0-9]*)?)");
    return std::regex_match(s, number);
}

const CLI::Option* findOption(const CLI::App* level, const std::string& name) {
    for (const CLI::App* app = level; app != nullptr; app = app->get_parent())
        if (const CLI::Option* opt = app->get_option_no_throw(name);
            opt != nullptr && !opt->get_positional())
            return opt;
    return nullptr;
}

std::vector<std::string> optionNames(const CLI::App* level) {
    std::vector<std::string> names;
    for (const CLI::App* app = level; app != nullptr; app = app->get_parent())
        for (const CLI::Option* opt : app->get_options()) {
            if (opt->get_positional()) continue;
            for (const auto& l : opt->get_lnames()) names.push_back("--" + l);
            for (const auto& s : opt->get_snames()) names.push_back("-" + s);
        }
    return names;
}

std::vector<std::string> commandNames(const CLI::App* level) {
    std::vector<std::string> names;
    for (const CLI::App* sub : level->get_subcommands({}))
        if (!sub->get_name().empty()) names.push_back(sub->get_name());
    return names;
}

const CLI::App* findCommand(const CLI::App* level, const std::string& word) {
    for (const CLI::App* sub : level->get_subcommands({}))
        if (!sub->get_name().empty() && sub->check_name(word)) return sub;
    return nullptr;
}

std::size_t positionalRoom(const CLI::App* level) {
    std::size_t room = 0;
    for (const CLI::Option* opt : level->get_options()) {
        if (!opt->get_positional()) continue;
        const int most = opt->get_expected_max();
        if (most >= CLI::detail::expected_max_vector_size)
            return std::numeric_limits<std::size_t>::max();
        room += static_cast<std::size_t>(std::max(most, 1));
    }
    return room;
}

std::string joinWords(const std::vector<std::string>& words, const char* last) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) out += i + 1 == words.size() ? last : ", ";
        out += words[i];
    }
    return out;
}

// The command line walked as the parser walks it, to the first word it does
// not know.
struct Walk {
    const CLI::App* level;
    std::string path;     // "m350ctl config"
    std::string unknown;  // the message about the unknown word, if any
};

Walk walkArguments(const CLI::App& root, const std::vector<std::string>& args) {
    Walk w{&root, "m350ctl", {}};
    std::size_t taken = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") break;
        if (a.size() > 1 && a[0] == '-' && !isNumber(a)) {
            const bool longName = a[1] == '-';
            const std::string name = longName ? a.substr(0, a.find('=')) : a.substr(0, 2);
            const bool valueAttached = name.size() < a.size();
            const CLI::Option* opt = findOption(w.level, name);
            if (opt == nullptr) {
                w.unknown = "unknown option '" + name + "'";
                if (auto near = nearestWords(name, optionNames(w.level)); !near.empty())
                    w.unknown += "; " + didYouMean(near);
                return w;
            }
            if (opt->get_expected_max() > 0 && !valueAttached) ++i;
            continue;
        }
        if (const CLI::App* sub = findCommand(w.level, a)) {
            w.level = sub;
            w.path += " " + sub->get_name();
            taken = 0;
            continue;
        }
        if (taken < positionalRoom(w.level)) {
            ++taken;
            continue;
        }
        const auto commands = commandNames(w.level);
        const std::string prefix = w.path.size() > 7 ? w.path.substr(8) + " " : std::string();
        if (commands.empty()) {
            w.unknown = "unexpected argument '" + a + "'";
            return w;
        }
        w.unknown = "unknown command '" + prefix + a + "'";
        auto near = nearestWords(a, commands);
        for (auto& n : near) n = prefix + n;
        if (!near.empty()) w.unknown += "; " + didYouMean(near);
        return w;
    }
    return w;
}

std::string trimNumber(std::string n) {
    if (n.find('.') == std::string::npos) return n;
    while (n.back() == '0') n.pop_back();
    if (n.back() == '.') n.pop_back();
    return n;
}

// The parser's own message in words: the values a choice takes, the range of
// a number, what an option needs or excludes.
std::string plainMessage(const std::string& what, const Walk& w) {
    std::smatch m;
    static const std::regex checked(
        R"(^(.*): Check (.*) value in \{([^}]*)\}( OR \{.*\})? FAILED$)");
    static const std::regex member(R"(^(.*): (.*) not in \{([^}]*)\}$)");
    if (std::regex_match(what, m, checked) || std::regex_match(what, m, member)) {
        std::vector<std::string> values;
        const std::string list = m[3];
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            std::string item = list.substr(start, comma - start);
            item = item.substr(0, item.find("->"));
            if (!item.empty()) values.push_back(item);
            start = comma + 1;
        }
        if (std::all_of(values.begin(), values.end(),
                        [](const std::string& v) { return isNumber(v); }))
            std::sort(values.begin(), values.end(), [](const std::string& a, const std::string& b) {
                return std::stod(a) < std::stod(b);
            });
        std::string out = std::string(m[1]) + ": '" + std::string(m[2]) + "' is not one of " +
                          joinWords(values, " or ");
        if (auto near = nearestWords(lower(std::string(m[2])), values); !near.empty())
            out += "; " + didYouMean(near);
        return out;
    }
    static const std::regex range(R"(^(.*): Value (.*) not in range (\S+) to (\S+)$)");
    if (std::regex_match(what, m, range)) {
        const std::string value = m[2];
        return std::string(m[1]) + ": " +
               (isNumber(value) ? value + " is out of range" : "'" + value + "' is not a number") +
               " (" + trimNumber(m[3]) + " to " + trimNumber(m[4]) + ")";
    }
    static const std::regex missingValue(R"(^(\S+): [0-9]+ required (.*) missing$)");
    if (std::regex_match(what, m, missingValue)) {
        const std::string value = m[2];
        return std::string(m[1]) + " needs a value" +
               (value.empty() || value == "TEXT" ? std::string() : " (" + value + ")");
    }
    static const std::regex convert(R"(^Could not convert: (\S+) = (.*)$)");
    if (std::regex_match(what, m, convert))
        return std::string(m[1]) + ": '" + std::string(m[2]) + "' is not a valid value";
    static const std::regex excludes(R"(^(\S+) excludes (\S+)$)");
    if (std::regex_match(what, m, excludes))
        return std::string(m[1]) + " and " + std::string(m[2]) + " cannot be given together";
    static const std::regex requires_(R"(^(\S+) requires (\S+)$)");
    if (std::regex_match(what, m, requires_))
        return std::string(m[1]) + " needs " + std::string(m[2]);
    if (what.rfind("A subcommand is required", 0) == 0 || what.rfind("Requires at least", 0) == 0) {
        const auto commands = commandNames(w.level);
        if (w.level->get_parent() == nullptr) return "no command given";
        return "'" + w.path.substr(8) + "' needs a command: " + joinWords(commands, " or ");
    }
    static const std::regex extras(R"(^The following arguments? (was|were) not expected: (.*)$)");
    if (std::regex_match(what, m, extras)) return "unexpected argument '" + std::string(m[2]) + "'";
    return what;
}

}  // namespace

std::vector<std::string> nearestWords(std::string_view word,
                                      const std::vector<std::string>& known) {
    const std::string w = lower(word);
    std::size_t best = std::numeric_limits<std::size_t>::max();
    std::vector<std::string> out;
    const std::string_view bare = std::string_view(w).substr(
        w.find_first_not_of('-') == std::string::npos ? w.size() : w.find_first_not_of('-'));
    for (const auto& k : known) {
        const std::string kl = lower(k);
        std::size_t d = editDistance(w, kl);
        // A word that starts a longer name is near it ("conf" for "config").
        if (bare.size() >= 2 && kl.size() > w.size() && kl.compare(0, w.size(), w) == 0) d = 1;
        // At most one edit in four letters of the name, and always one.
        if (d > std::max<std::size_t>(1, bare.size() / 4 + (bare.size() >= 6 ? 1 : 0))) continue;
        if (d < best) {
            best = d;
            out.clear();
        }
        if (d == best && std::find(out.begin(), out.end(), k) == out.end()) out.push_back(k);
    }
    return out;
}

std::string didYouMean(const std::vector<std::string>& words) {
    if (words.empty()) return {};
    std::vector<std::string> quoted;
    for (const auto& w : words) quoted.push_back("'" + w + "'");
    return "did you mean " + joinWords(quoted, " or ") + "?";
}

UsageError describeParseError(const CLI::App& root, const std::vector<std::string>& args,
                              const CLI::ParseError& error) {
    const Walk w = walkArguments(root, args);
    UsageError out;
    out.command = w.path;
    if (!w.unknown.empty()) {
        out.message = w.unknown;
        return out;
    }
    out.message = plainMessage(error.what(), w);
    // Name the command whose own option or argument is at fault.
    const std::string subject = out.message.substr(0, out.message.find_first_of(": "));
    if (w.level->get_parent() != nullptr && !subject.empty() &&
        w.level->get_option_no_throw(subject) != nullptr)
        out.message = w.path.substr(8) + ": " + out.message;
    return out;
}

bool wantsJson(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--") return false;
        if (a == "--json") return true;
    }
    return false;
}

std::string shortUsage() {
    return "Usage: m350ctl [CONNECTION] [OPTIONS] COMMAND [ARGUMENTS]\n"
           "\n"
           "  m350ctl status                  the printer's status (USB)\n"
           "  m350ctl --net HOST status       the same over the network\n"
           "  m350ctl config read -o F.dcf    save the printer's configuration\n"
           "  m350ctl doctor                  what keeps the printer from being reached\n"
           "\n"
           "'m350ctl --help' lists every command and option, 'm350ctl COMMAND --help'\n"
           "a command's own; man m350ctl describes them.\n";
}

}  // namespace m350::cli
