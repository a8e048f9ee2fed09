// SPDX-License-Identifier: MIT
#include "cli/help_format.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <memory>
#include <regex>

namespace m350::cli {

namespace {

constexpr std::size_t kColumn = 28;  // where option descriptions start

// The value's name: the one the option was given, without the validators'
// own descriptions, or for a plain number or text a name of its own.
std::string valueName(const CLI::Option& opt) {
    std::string name = opt.get_type_name();
    // A plain text checked against a set of words: the words are the value.
    static const std::regex words(R"(^TEXT:\{([^}]*)\}$)");
    std::smatch m;
    if (std::regex_match(name, m, words)) {
        std::string list = m[1];
        for (auto& c : list)
            if (c == ',') c = '|';
        return list;
    }
    static const std::regex suffixes(R"((:\{[^}]*\}|:[A-Z]* ?in \[[^\]]*\])+$)");
    name = std::regex_replace(name, suffixes, "");
    if (const auto colon = name.find(':');
        colon != std::string::npos && name.substr(colon + 1) == name.substr(0, colon))
        name.resize(colon);
    if (name == "INT" || name == "UINT" || name == "FLOAT" || name == "NUMBER") return "N";
    if (name == "TEXT" || name == "BOOLEAN" || name == "CHAR") {
        std::string upper = opt.get_lnames().empty() ? opt.get_name() : opt.get_lnames().front();
        if (upper == "output") return "FILE";
        for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return upper;
    }
    return name;
}

class HelpFormatter : public CLI::Formatter {
  public:
    std::string make_option(const CLI::Option* opt, bool positional) const override {
        std::string desc = opt->get_description();
        if (!positional && opt->get_required()) desc += " (required)";
        return row(make_option_name(opt, positional) + (positional ? "" : make_option_opts(opt)),
                   desc);
    }

    std::string make_option_opts(const CLI::Option* opt) const override {
        if (opt->get_expected_max() == 0) return {};
        const std::string name = valueName(*opt);
        if (name.empty()) return {};
        std::string out = " " + name;
        if (opt->get_expected_max() >= CLI::detail::expected_max_vector_size) out += "...";
        return out;
    }

    std::string make_option_usage(const CLI::Option* opt) const override {
        std::string out = opt->get_name(true, false);
        if (opt->get_expected_max() >= CLI::detail::expected_max_vector_size) out += "...";
        return opt->get_required() ? out : "[" + out + "]";
    }

    std::string make_subcommand(const CLI::App* sub) const override {
        return row(sub->get_display_name(true), sub->get_description());
    }

    std::string make_description(const CLI::App* app) const override {
        const std::string& desc = app->get_description();
        return desc.empty() ? std::string() : wrapText(desc, kHelpWidth, 0) + "\n\n";
    }

    std::string make_usage(const CLI::App* app, std::string name) const override {
        return wrapText(CLI::Formatter::make_usage(app, std::move(name)), kHelpWidth, 4);
    }

    // The exit statuses are the same for every command: the top-level page
    // lists them once, laid out as written.
    std::string make_footer(const CLI::App* app) const override {
        if (app->get_parent() != nullptr || app->get_footer().empty()) return {};
        return app->get_footer() + "\n";
    }

    // One blank line between sections; "Commands" where the parser says
    // "Subcommands".
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        std::string page = CLI::Formatter::make_help(app, std::move(name), mode);
        for (std::size_t at; (at = page.find("\n\n\n")) != std::string::npos;) page.erase(at, 1);
        if (const auto at = page.find("\nSubcommands:\n"); at != std::string::npos)
            page.replace(at + 1, 11, "Commands");
        return page;
    }

  private:
    static std::string row(const std::string& left, const std::string& desc) {
        std::string out = "  " + left;
        if (desc.empty()) return out + "\n";
        if (out.size() + 1 >= kColumn) {
            out += "\n";
            out.append(kColumn, ' ');
        } else {
            out.append(kColumn - out.size(), ' ');
        }
        return out + wrapText(desc, kHelpWidth, kColumn, kColumn) + "\n";
    }
};

}  // namespace

std::string wrapText(std::string_view text, std::size_t width, std::size_t indent,
                     std::size_t first) {
    std::string out;
    std::size_t column = first;
    bool lineStart = true;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\n') {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineStart = true;
            ++i;
            continue;
        }
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] != ' ' && text[end] != '\n') ++end;
        const std::string_view word = text.substr(i, end - i);
        if (!lineStart && column + 1 + word.size() > width) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineStart = false;
        i = end;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

void useHelpFormatter(CLI::App& app) {
    auto formatter = std::make_shared<HelpFormatter>();
    formatter->label("SUBCOMMAND", "COMMAND");
    formatter->label("SUBCOMMANDS", "COMMANDS");
    formatter->label("Positionals", "Arguments");
    app.formatter(formatter);
}

}  // namespace m350::cli
