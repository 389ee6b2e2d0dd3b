// Every text the code looks up exists in every language of the set-up file.
//
// The lookups are collected from the sources, not from a run: a run reaches
// only the messages its paths show, while a message box of a failed save
// needs its text just as much. The scanner follows the forms the code uses
// (GetText, FindText, ShowTips, the groups of FindTextNode and DialogTexts
// and the keys read from them, keys kept in tables, ternaries or variables,
// groups handed to helpers) and fails on any lookup whose names it cannot
// read, so that a new form of lookup is taught to it rather than missed.

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kNone = std::string::npos;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Trim(const std::string& s) {
    const size_t begin = s.find_first_not_of(" \t\r\n");
    if (begin == kNone)
        return std::string();
    const size_t end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}

bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '~';
}

// One source file: its text, the same text with comments and the insides of
// literals blanked (for finding structure), and each bracket's partner.
struct Source {
    std::string path;
    std::string text;
    std::string code;
    std::vector<size_t> partner;

    Source(std::string relative, std::string content)
        : path(std::move(relative))
        , text(std::move(content))
        , code(text)
        , partner(text.size(), kNone) {
        enum { Code, Line, Block, String, Char } state = Code;
        for (size_t i = 0; i < code.size(); ++i) {
            const char c = text[i];
            const char next = i + 1 < text.size() ? text[i + 1] : '\0';
            switch (state) {
            case Code:
                if (c == '/' && next == '/') {
                    state = Line;
                    code[i] = ' ';
                } else if (c == '/' && next == '*') {
                    state = Block;
                    code[i] = ' ';
                } else if (c == '"') {
                    state = String;
                } else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(text[i - 1])))) {
                    state = Char;
                }
                break;
            case Line:
                if (c == '\n')
                    state = Code;
                else
                    code[i] = ' ';
                break;
            case Block:
                if (c == '*' && next == '/') {
                    code[i] = code[i + 1] = ' ';
                    ++i;
                    state = Code;
                } else if (c != '\n') {
                    code[i] = ' ';
                }
                break;
            case String:
            case Char:
                if (c == '\\') {
                    code[i] = ' ';
                    if (i + 1 < code.size())
                        code[++i] = ' ';
                } else if ((state == String && c == '"') || (state == Char && c == '\'')) {
                    state = Code;
                } else if (c != '\n') {
                    code[i] = ' ';
                }
                break;
            }
        }
        std::vector<size_t> open;
        for (size_t i = 0; i < code.size(); ++i) {
            const char c = code[i];
            if (c == '(' || c == '[' || c == '{') {
                open.push_back(i);
            } else if ((c == ')' || c == ']' || c == '}') && !open.empty()) {
                partner[i] = open.back();
                partner[open.back()] = i;
                open.pop_back();
            }
        }
    }

    int LineOf(size_t pos) const {
        return 1 + static_cast<int>(std::count(text.begin(), text.begin() + pos, '\n'));
    }
    std::string Where(size_t pos) const { return path + ":" + std::to_string(LineOf(pos)); }

    // The last non-blank position before pos (kNone when there is none).
    size_t Back(size_t pos) const {
        while (pos-- > 0) {
            if (!std::isspace(static_cast<unsigned char>(code[pos])))
                return pos;
        }
        return kNone;
    }

    // The identifier that ends at pos, and where it starts.
    std::string WordEndingAt(size_t pos, size_t* start) const {
        size_t begin = pos + 1;
        while (begin > 0 && IsIdentChar(code[begin - 1]))
            --begin;
        *start = begin;
        return code.substr(begin, pos + 1 - begin);
    }

    // The innermost '{' that encloses pos.
    size_t EnclosingBrace(size_t pos) const {
        for (size_t i = pos; i-- > 0;) {
            if (code[i] == '{' && (partner[i] == kNone || partner[i] > pos))
                return i;
        }
        return kNone;
    }

    // The string literals inside [begin, end), in order.
    std::vector<std::string> Literals(size_t begin, size_t end) const {
        std::vector<std::string> found;
        for (size_t i = begin; i < end; ++i) {
            if (code[i] != '"')
                continue;
            const size_t close = code.find('"', i + 1);
            if (close == kNone || close >= end)
                break;
            found.push_back(text.substr(i + 1, close - i - 1));
            i = close;
        }
        return found;
    }
};

// A function around a position: its name, its parameters' names and its body.
struct Function {
    std::string name;
    std::vector<std::string> params;
    size_t bodyOpen = kNone;
    size_t bodyClose = kNone;
};

std::vector<std::string> SplitTopLevel(const std::string& s) {
    std::vector<std::string> parts;
    int depth = 0;
    std::string current;
    for (char c : s) {
        if (c == '(' || c == '[' || c == '{' || c == '<')
            ++depth;
        else if (c == ')' || c == ']' || c == '}' || c == '>')
            --depth;
        if (c == ',' && depth == 0) {
            parts.push_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!Trim(current).empty() || !parts.empty())
        parts.push_back(Trim(current));
    return parts;
}

std::string ParamName(const std::string& param) {
    std::string declarator = param.substr(0, param.find('='));
    static const std::regex last(R"((\w+)\s*$)");
    std::smatch m;
    declarator = Trim(declarator);
    return std::regex_search(declarator, m, last) ? m[1].str() : std::string();
}

std::optional<Function> FunctionAround(const Source& src, size_t pos) {
    static const std::set<std::string> qualifiers = { "const", "override", "noexcept", "final", "mutable" };
    static const std::set<std::string> control = { "if", "for", "while", "switch", "catch" };
    for (size_t brace = src.EnclosingBrace(pos); brace != kNone; brace = src.EnclosingBrace(brace)) {
        size_t i = src.Back(brace);
        size_t start = 0;
        while (i != kNone && IsIdentChar(src.code[i]) && qualifiers.count(src.WordEndingAt(i, &start)))
            i = src.Back(start);
        if (i == kNone || src.code[i] != ')')
            continue;
        // Skip a constructor's member initialisers back to its signature.
        for (;;) {
            const size_t open = src.partner[i];
            if (open == kNone)
                break;
            const size_t j = src.Back(open);
            if (j == kNone || src.code[j] == ']' || !IsIdentChar(src.code[j]))
                break; // a lambda or something else: look further out
            const std::string word = src.WordEndingAt(j, &start);
            if (control.count(word))
                break;
            const size_t k = src.Back(start);
            const bool initialiser = k != kNone
                && (src.code[k] == ',' || (src.code[k] == ':' && (k == 0 || src.code[k - 1] != ':')));
            if (initialiser) {
                i = src.Back(k);
                if (i != kNone && src.code[i] == '}')
                    i = src.Back(src.partner[i]);
                continue;
            }
            Function f;
            f.name = word;
            for (const std::string& param : SplitTopLevel(src.code.substr(open + 1, i - open - 1)))
                f.params.push_back(ParamName(param));
            f.bodyOpen = brace;
            f.bodyClose = src.partner[brace];
            return f;
        }
    }
    return std::nullopt;
}

// A call: where its name starts and its arguments (positions into the text).
struct Call {
    size_t pos = 0;
    size_t open = 0;
    size_t close = 0;
    std::vector<std::pair<size_t, size_t>> args;
};

std::vector<Call> FindCalls(const Source& src, const std::string& name) {
    std::vector<Call> calls;
    const std::regex pattern("\\b" + name + "\\s*\\(");
    for (auto it = std::sregex_iterator(src.code.begin(), src.code.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        Call call;
        call.pos = static_cast<size_t>(it->position());
        call.open = call.pos + it->length() - 1;
        call.close = src.partner[call.open];
        if (call.close == kNone)
            continue;
        int depth = 0;
        size_t begin = call.open + 1;
        for (size_t i = call.open + 1; i < call.close; ++i) {
            const char c = src.code[i];
            if (c == '(' || c == '[' || c == '{')
                ++depth;
            else if (c == ')' || c == ']' || c == '}')
                --depth;
            else if (c == ',' && depth == 0) {
                call.args.emplace_back(begin, i);
                begin = i + 1;
            }
        }
        if (!Trim(src.code.substr(begin, call.close - begin)).empty() || !call.args.empty())
            call.args.emplace_back(begin, call.close);
        calls.push_back(call);
    }
    return calls;
}

std::string ArgText(const Source& src, const Call& call, size_t i) {
    return Trim(src.text.substr(call.args[i].first, call.args[i].second - call.args[i].first));
}

std::optional<std::string> AsLiteral(const std::string& s) {
    static const std::regex literal(R"re(^"([^"\\]*)"$)re");
    std::smatch m;
    if (std::regex_match(s, m, literal))
        return m[1].str();
    return std::nullopt;
}

// A declaration or definition of the function rather than a call.
bool IsDeclaration(const Source& src, const Call& call) {
    static const std::regex typed(R"(^(const\s+)?[\w:<>]+(\s*[*&]+\s*|\s+)\w+(\s*=.*)?$)");
    for (size_t i = 0; i < call.args.size(); ++i) {
        if (std::regex_match(ArgText(src, call, i), typed))
            return true;
    }
    return false;
}

bool IsKeyName(const std::string& s) {
    static const std::regex name(R"(^[A-Za-z_][A-Za-z0-9_]*$)");
    return std::regex_match(s, name);
}

// Where a key comes from: literal keys, or a parameter of the function it
// is read in (directly, or as the table a loop walks).
struct Keys {
    bool ok = true;
    std::string why;
    std::set<std::string> names;
    int param = -1;
    bool viaLoop = false;
};

Keys Fail(const std::string& why) {
    Keys k;
    k.ok = false;
    k.why = why;
    return k;
}

Keys LiteralsAsKeys(const Source& src, size_t begin, size_t end, const std::string& what) {
    Keys keys;
    for (const std::string& literal : src.Literals(begin, end)) {
        if (!IsKeyName(literal))
            return Fail(what + " holds \"" + literal + "\", which is no key");
        keys.names.insert(literal);
    }
    if (keys.names.empty())
        return Fail(what + " holds no key");
    return keys;
}

Keys ResolveKeys(const Source& src, size_t pos, const std::string& expression, int depth = 0);

// cond ? a : b, with nested ternaries and parentheses; leaves are resolved.
std::optional<Keys> ResolveTernary(const Source& src, size_t pos, std::string e, int depth) {
    while (e.size() >= 2 && e.front() == '(' && e.back() == ')') {
        int level = 0;
        bool wraps = true;
        for (size_t i = 0; i < e.size(); ++i) {
            level += e[i] == '(' ? 1 : e[i] == ')' ? -1 : 0;
            if (level == 0 && i + 1 < e.size()) {
                wraps = false;
                break;
            }
        }
        if (!wraps)
            break;
        e = Trim(e.substr(1, e.size() - 2));
    }
    int level = 0;
    bool inString = false;
    size_t question = kNone;
    for (size_t i = 0; i < e.size(); ++i) {
        const char c = e[i];
        if (c == '"')
            inString = !inString;
        if (inString)
            continue;
        level += (c == '(') ? 1 : (c == ')') ? -1 : 0;
        if (level == 0 && c == '?') {
            question = i;
            break;
        }
    }
    if (question == kNone)
        return std::nullopt;
    int nested = 0;
    inString = false;
    level = 0;
    for (size_t i = question + 1; i < e.size(); ++i) {
        const char c = e[i];
        if (c == '"')
            inString = !inString;
        if (inString)
            continue;
        level += (c == '(') ? 1 : (c == ')') ? -1 : 0;
        if (level != 0)
            continue;
        if (c == '?')
            ++nested;
        else if (c == ':' && (i + 1 >= e.size() || e[i + 1] != ':') && e[i - 1] != ':') {
            if (nested-- > 0)
                continue;
            Keys a = ResolveKeys(src, pos, e.substr(question + 1, i - question - 1), depth + 1);
            Keys b = ResolveKeys(src, pos, e.substr(i + 1), depth + 1);
            if (!a.ok)
                return a;
            if (!b.ok)
                return b;
            if (a.param >= 0 || b.param >= 0)
                return Fail("a branch of \"" + e + "\" comes from a parameter");
            a.names.insert(b.names.begin(), b.names.end());
            return a;
        }
    }
    return Fail("cannot read the condition \"" + e + "\"");
}

Keys ResolveKeys(const Source& src, size_t pos, const std::string& expression, int depth) {
    if (depth > 8)
        return Fail("\"" + expression + "\" is followed too deep");
    std::string e = Trim(expression);
    static const std::string cStr = ".c_str()";
    if (e.size() > cStr.size() && e.compare(e.size() - cStr.size(), cStr.size(), cStr) == 0)
        e = Trim(e.substr(0, e.size() - cStr.size()));
    if (const auto literal = AsLiteral(e)) {
        if (!IsKeyName(*literal))
            return Fail("\"" + *literal + "\" is no key");
        Keys keys;
        keys.names.insert(*literal);
        return keys;
    }
    if (e == "nullptr")
        return Keys();
    if (auto ternary = ResolveTernary(src, pos, e, depth))
        return *ternary;

    static const std::regex access(R"(^([A-Za-z_]\w*)(\s*(\.\s*\w+|\[[^\]]*\]))*$)");
    std::smatch m;
    if (!std::regex_match(e, m, access))
        return Fail("cannot read the key \"" + e + "\"");
    const std::string base = m[1].str();
    const auto function = FunctionAround(src, pos);
    if (!function)
        return Fail("\"" + e + "\" is outside any function");
    const size_t bodyBegin = function->bodyOpen;
    const std::string body = src.code.substr(bodyBegin, pos - bodyBegin);

    // The nearest binding of the name before the read.
    enum class Kind { None, Loop, Table, Assignment } kind = Kind::None;
    size_t where = 0;
    size_t containerBegin = 0;
    size_t containerEnd = 0;
    const std::regex loop(R"(\bfor\s*\()");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), loop); it != std::sregex_iterator(); ++it) {
        const size_t open = bodyBegin + it->position() + it->length() - 1;
        const size_t close = src.partner[open];
        if (close == kNone || close > pos)
            continue;
        const std::string header = src.code.substr(open + 1, close - open - 1);
        size_t colon = kNone;
        int level = 0;
        for (size_t i = 0; i < header.size(); ++i) {
            const char c = header[i];
            level += (c == '(' || c == '[' || c == '{' || c == '<') ? 1
                : (c == ')' || c == ']' || c == '}' || c == '>')    ? -1
                                                                    : 0;
            if (c == ':' && level == 0 && (i + 1 >= header.size() || header[i + 1] != ':')
                && (i == 0 || header[i - 1] != ':')) {
                colon = i;
                break;
            }
        }
        if (colon == kNone)
            continue;
        if (!std::regex_search(header.substr(0, colon), std::regex("\\b" + base + "\\b")))
            continue;
        kind = Kind::Loop;
        where = open;
        containerBegin = open + 1 + colon + 1;
        containerEnd = close;
    }
    std::smatch t;
    const std::regex table("\\b" + base + R"(\s*\[[^\]]*\]\s*=\s*\{)");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), table); it != std::sregex_iterator();
         ++it) {
        const size_t p = bodyBegin + it->position();
        if (p > where || kind == Kind::None) {
            kind = Kind::Table;
            where = p;
            containerBegin = bodyBegin + it->position() + it->length() - 1;
            containerEnd = src.partner[containerBegin];
        }
    }
    const std::regex assignment("(^|[^\\w.>])" + base + R"(\s*=(?!=))");
    std::vector<std::pair<size_t, size_t>> assignments;
    const std::string wholeBody = src.code.substr(bodyBegin, function->bodyClose - bodyBegin);
    for (auto it = std::sregex_iterator(wholeBody.begin(), wholeBody.end(), assignment);
         it != std::sregex_iterator(); ++it) {
        const size_t rhs = bodyBegin + it->position() + it->length();
        size_t end = rhs;
        int level = 0;
        while (end < src.code.size() && !(level == 0 && src.code[end] == ';')) {
            const char c = src.code[end];
            level += (c == '(' || c == '[' || c == '{') ? 1 : (c == ')' || c == ']' || c == '}') ? -1 : 0;
            ++end;
        }
        assignments.emplace_back(rhs, end);
        const size_t p = bodyBegin + it->position();
        if (p < pos && (p > where || kind == Kind::None)) {
            kind = Kind::Assignment;
            where = p;
        }
    }

    switch (kind) {
    case Kind::Loop: {
        const std::string container = Trim(src.code.substr(containerBegin, containerEnd - containerBegin));
        if (!container.empty() && container.front() == '{')
            return LiteralsAsKeys(src, containerBegin, containerEnd, "the loop's list");
        Keys keys = ResolveKeys(src, containerBegin, container, depth + 1);
        if (keys.ok && keys.param >= 0)
            keys.viaLoop = true;
        return keys;
    }
    case Kind::Table:
        return LiteralsAsKeys(src, containerBegin, containerEnd, "the table " + base);
    case Kind::Assignment: {
        Keys keys;
        for (const auto& [begin, end] : assignments) {
            const std::string rhs = Trim(src.text.substr(begin, end - begin));
            if (!AsLiteral(rhs) && rhs != "nullptr" && rhs.find('?') == kNone)
                return Fail("cannot read the key " + base + " = " + rhs);
            Keys part = ResolveKeys(src, begin, rhs, depth + 1);
            if (!part.ok)
                return part;
            keys.names.insert(part.names.begin(), part.names.end());
        }
        return keys;
    }
    case Kind::None:
        break;
    }
    // A parameter of a lambda kept in a variable: the keys its calls pass.
    for (size_t brace = src.EnclosingBrace(pos); brace != kNone && brace > function->bodyOpen;
         brace = src.EnclosingBrace(brace)) {
        const size_t close = src.Back(brace);
        if (close == kNone || src.code[close] != ')')
            continue;
        const size_t open = src.partner[close];
        const size_t capture = open == kNone ? kNone : src.Back(open);
        if (capture == kNone || src.code[capture] != ']')
            continue;
        std::vector<std::string> params;
        for (const std::string& param : SplitTopLevel(src.code.substr(open + 1, close - open - 1)))
            params.push_back(ParamName(param));
        const auto index = std::find(params.begin(), params.end(), base);
        if (index == params.end())
            continue;
        const size_t equals = src.Back(src.partner[capture]);
        size_t start = 0;
        const size_t nameEnd = equals == kNone ? kNone : src.Back(equals);
        if (src.code[equals] != '=' || nameEnd == kNone || !IsIdentChar(src.code[nameEnd]))
            return Fail("the key \"" + e + "\" is a parameter of a lambda kept nowhere");
        const std::string lambda = src.WordEndingAt(nameEnd, &start);
        Keys keys;
        for (const Call& call : FindCalls(src, lambda)) {
            if (call.pos < src.partner[brace] || call.pos > function->bodyClose)
                continue;
            const size_t i = static_cast<size_t>(index - params.begin());
            if (i >= call.args.size())
                return Fail("a call of " + lambda + " with too few arguments");
            Keys part = ResolveKeys(src, call.args[i].first, ArgText(src, call, i), depth + 1);
            if (!part.ok || part.param >= 0)
                return part.ok ? Fail("the key of " + lambda + " comes from a parameter") : part;
            keys.names.insert(part.names.begin(), part.names.end());
        }
        if (keys.names.empty())
            return Fail("no call of " + lambda + " passes a key");
        return keys;
    }
    const auto param = std::find(function->params.begin(), function->params.end(), base);
    if (param != function->params.end()) {
        Keys keys;
        keys.param = static_cast<int>(param - function->params.begin());
        return keys;
    }
    return Fail("cannot find where the key \"" + e + "\" comes from");
}

// The functions that are the text lookup itself: inside them the names are
// their parameters.
bool InAccessor(const Source& src, size_t pos) {
    static const std::set<std::string> accessors = { "GetText", "FindText", "ShowTips", "HasTexts",
        "FindTextNode", "Text", "Get", "Find", "IfPresent", "DialogTexts" };
    if (const auto function = FunctionAround(src, pos))
        return accessors.count(function->name) > 0;
    // A constructor's member initialisers.
    static const std::regex constructor(R"((\w+)::(\w+)\s*\()");
    const std::string before = src.code.substr(0, pos);
    std::string name;
    for (auto it = std::sregex_iterator(before.begin(), before.end(), constructor);
         it != std::sregex_iterator(); ++it) {
        if ((*it)[1] == (*it)[2])
            name = (*it)[1];
    }
    return accessors.count(name) > 0;
}

struct Lookup {
    std::string className;
    std::string group;
    std::string key; // empty: the group only
    std::string where;
    bool operator<(const Lookup& o) const {
        return std::tie(className, group, key, where) < std::tie(o.className, o.group, o.key, o.where);
    }
};

// A read of a group that a function got as a parameter; its call sites say
// which group and, where the key is a parameter too, which keys.
struct ForwardedRead {
    std::string function;
    int groupParam = 0;
    Keys keys;
    std::string where;
};

struct GroupCall {
    std::string function;
    std::string className;
    std::string group;
    const Source* src = nullptr;
    Call call;
    int groupArg = 0;
};

class LookupScanner {
public:
    explicit LookupScanner(const std::vector<Source>& sources) {
        for (const Source& src : sources)
            Scan(src);
        for (const GroupCall& gc : m_groupCalls) {
            bool followed = false;
            for (const ForwardedRead& read : m_forwarded) {
                if (read.function != gc.function || read.groupParam != gc.groupArg)
                    continue;
                followed = true;
                Keys keys = read.keys;
                if (keys.param >= 0) {
                    if (static_cast<size_t>(keys.param) >= gc.call.args.size()) {
                        Unreadable(*gc.src, gc.call.pos, "too few arguments for " + gc.function);
                        continue;
                    }
                    const auto [begin, end] = gc.call.args[static_cast<size_t>(keys.param)];
                    keys = keys.viaLoop
                        ? LiteralsAsKeys(*gc.src, begin, end, "the argument of " + gc.function)
                        : ResolveKeys(*gc.src, begin, ArgText(*gc.src, gc.call, keys.param));
                }
                Add(*gc.src, gc.call.pos, gc.className, gc.group, keys);
            }
            if (!followed)
                Unreadable(*gc.src, gc.call.pos,
                    "the group is handed to " + gc.function + ", which the test cannot follow");
        }
    }

    const std::set<Lookup>& Lookups() const { return m_lookups; }
    const std::vector<std::string>& Problems() const { return m_problems; }

private:
    void Unreadable(const Source& src, size_t pos, const std::string& why) {
        m_problems.push_back(src.Where(pos) + ": " + why);
    }

    void Add(
        const Source& src, size_t pos, const std::string& cls, const std::string& group, const Keys& keys) {
        if (!keys.ok) {
            Unreadable(src, pos, keys.why);
            return;
        }
        if (keys.param >= 0) {
            Unreadable(src, pos, "the key comes from a parameter");
            return;
        }
        for (const std::string& key : keys.names)
            m_lookups.insert({ cls, group, key, src.Where(pos) });
    }

    std::optional<std::string> Name(const Source& src, const std::string& arg) {
        if (auto literal = AsLiteral(arg))
            return literal;
        static const std::regex ident(R"(^\w+$)");
        if (!std::regex_match(arg, ident))
            return std::nullopt;
        const std::regex constant("\\b" + arg + R"(\s*(\[\s*\])?\s*=\s*"([^"]*)\")");
        std::smatch m;
        if (std::regex_search(src.text, m, constant))
            return m[2].str();
        return std::nullopt;
    }

    void Scan(const Source& src) {
        // Whole lookups: class, group and key.
        for (const char* name : { "GetText", "FindText", "ShowTips" }) {
            for (const Call& call : FindCalls(src, name)) {
                if (call.args.empty() || IsDeclaration(src, call))
                    continue;
                if (call.args.size() != 3) {
                    Unreadable(src, call.pos,
                        std::string(name) + " with " + std::to_string(call.args.size()) + " arguments");
                    continue;
                }
                const auto cls = Name(src, ArgText(src, call, 0));
                const auto group = Name(src, ArgText(src, call, 1));
                if (!cls || !group) {
                    if (!InAccessor(src, call.pos))
                        Unreadable(src, call.pos, std::string("cannot read the names of ") + name);
                    continue;
                }
                const Keys keys = ResolveKeys(src, call.args[2].first, ArgText(src, call, 2));
                if ((!keys.ok || keys.param >= 0) && InAccessor(src, call.pos))
                    continue;
                Add(src, call.pos, *cls, *group, keys);
            }
        }
        // Groups, and the keys read from them.
        struct Binding {
            std::string variable;
            std::string cls;
            std::string group;
            size_t pos;
        };
        std::vector<Binding> bindings;
        auto group = [&](const Call& call, size_t first,
                         const char* what) -> std::optional<std::pair<std::string, std::string>> {
            if (call.args.size() != first + 2) {
                Unreadable(src, call.pos,
                    std::string(what) + " with " + std::to_string(call.args.size()) + " arguments");
                return std::nullopt;
            }
            const auto cls = Name(src, ArgText(src, call, first));
            const auto fn = Name(src, ArgText(src, call, first + 1));
            if (!cls || !fn) {
                if (!InAccessor(src, call.pos))
                    Unreadable(src, call.pos, std::string("cannot read the names of ") + what);
                return std::nullopt;
            }
            m_lookups.insert({ *cls, *fn, std::string(), src.Where(call.pos) });
            return std::make_pair(*cls, *fn);
        };
        for (const char* name : { "FindTextNode", "HasTexts" }) {
            for (const Call& call : FindCalls(src, name)) {
                if (call.args.empty() || IsDeclaration(src, call))
                    continue;
                const auto names = group(call, 0, name);
                if (!names)
                    continue;
                // The variable the group is kept in, if any.
                size_t statement = call.pos;
                while (statement > 0 && std::string(";{}").find(src.code[statement - 1]) == kNone)
                    --statement;
                const std::string head = src.code.substr(statement, call.pos - statement);
                static const std::regex assigned(R"((\w+)\s*=[^=]*$)");
                std::smatch m;
                if (std::regex_search(head, m, assigned))
                    bindings.push_back({ m[1].str(), names->first, names->second, call.pos });
                // A key read from the group at once.
                static const std::regex attribute(R"(^\s*->\s*Attribute\s*\()");
                const std::string after = src.code.substr(call.close + 1, 64);
                if (std::regex_search(after, m, attribute)) {
                    const size_t open = call.close + m.length();
                    for (const Call& read : FindCalls(src, "Attribute")) {
                        if (read.open == open && !read.args.empty())
                            Add(src, read.pos, names->first, names->second,
                                ResolveKeys(src, read.args[0].first, ArgText(src, read, 0)));
                    }
                }
            }
        }
        static const std::regex dialogTexts(R"(\bDialogTexts\s+(\w+)\s*\()");
        for (auto it = std::sregex_iterator(src.code.begin(), src.code.end(), dialogTexts);
             it != std::sregex_iterator(); ++it) {
            Call call;
            for (const Call& c : FindCalls(src, (*it)[1].str())) {
                if (c.open == static_cast<size_t>(it->position() + it->length() - 1))
                    call = c;
            }
            if (IsDeclaration(src, call))
                continue;
            if (const auto names = group(call, 1, "DialogTexts"))
                bindings.push_back({ (*it)[1].str(), names->first, names->second, call.pos });
        }

        for (const Binding& binding : bindings) {
            const size_t scopeOpen = src.EnclosingBrace(binding.pos);
            size_t scopeEnd = scopeOpen == kNone ? src.code.size() : src.partner[scopeOpen];
            for (const Binding& other : bindings) {
                if (other.variable == binding.variable && other.pos > binding.pos && other.pos < scopeEnd)
                    scopeEnd = other.pos;
            }
            const std::string scope = src.code.substr(binding.pos, scopeEnd - binding.pos);
            const std::regex use("\\b" + binding.variable + R"(\b\s*(->\s*(\w+)|\.\s*(\w+))?)");
            for (auto it = std::sregex_iterator(scope.begin(), scope.end(), use);
                 it != std::sregex_iterator(); ++it) {
                const size_t p = binding.pos + it->position();
                const std::string member = (*it)[2].matched ? (*it)[2].str() : (*it)[3].str();
                const size_t after = p + it->length();
                if (member == "Attribute" || member == "Get" || member == "Find" || member == "IfPresent") {
                    const size_t open = src.code.find('(', after);
                    Call call;
                    for (const Call& c : FindCalls(src, member)) {
                        if (c.open == open)
                            call = c;
                    }
                    if (call.args.empty()) {
                        Unreadable(src, p, "cannot read a key of " + binding.variable);
                        continue;
                    }
                    Add(src, p, binding.cls, binding.group,
                        ResolveKeys(src, call.args[0].first, ArgText(src, call, 0)));
                    continue;
                }
                if (member == "Present")
                    continue;
                if (!member.empty()) {
                    Unreadable(src, p,
                        binding.variable + " is used as ->" + member + ", which the test cannot follow");
                    continue;
                }
                // An argument: of Text, a read; of another function, a hand-over.
                const size_t before = src.Back(p);
                if (before == kNone || (src.code[before] != '(' && src.code[before] != ','))
                    continue; // a test for the group's presence
                size_t open = before;
                int argIndex = 0;
                while (open != kNone && src.code[open] != '(') {
                    if (src.code[open] == ',')
                        ++argIndex;
                    if (src.code[open] == ')' || src.code[open] == '}' || src.code[open] == ']')
                        open = src.partner[open];
                    open = open == 0 ? kNone : open - 1;
                }
                if (open == kNone)
                    continue;
                size_t start = 0;
                const size_t nameEnd = src.Back(open);
                if (nameEnd == kNone || !IsIdentChar(src.code[nameEnd]))
                    continue; // grouping parentheses
                const std::string function = src.WordEndingAt(nameEnd, &start);
                if (function == "if" || function == "while")
                    continue;
                Call call;
                for (const Call& c : FindCalls(src, function)) {
                    if (c.open == open)
                        call = c;
                }
                if (function == "Text") {
                    if (argIndex != 0 || call.args.size() != 2) {
                        Unreadable(src, p, "cannot read Text(...)");
                        continue;
                    }
                    Add(src, p, binding.cls, binding.group,
                        ResolveKeys(src, call.args[1].first, ArgText(src, call, 1)));
                    continue;
                }
                m_groupCalls.push_back({ function, binding.cls, binding.group, &src, call, argIndex });
            }
        }

        // Text(group, key) where the group is a parameter: a helper that
        // its callers hand their group to.
        for (const Call& call : FindCalls(src, "Text")) {
            if (call.args.empty() || IsDeclaration(src, call))
                continue;
            const std::string first = ArgText(src, call, 0);
            bool bound = false;
            for (const Binding& binding : bindings)
                bound = bound || (binding.variable == first && binding.pos < call.pos);
            const auto function = FunctionAround(src, call.pos);
            if (bound && function
                && std::find(function->params.begin(), function->params.end(), first)
                    == function->params.end())
                continue; // read through the binding above
            if (call.args.size() != 2 || !function) {
                Unreadable(src, call.pos, "cannot read Text(...)");
                continue;
            }
            const auto param = std::find(function->params.begin(), function->params.end(), first);
            if (param == function->params.end()) {
                Unreadable(src, call.pos, "cannot tell which group " + first + " is");
                continue;
            }
            ForwardedRead read;
            read.function = function->name;
            read.groupParam = static_cast<int>(param - function->params.begin());
            read.keys = ResolveKeys(src, call.args[1].first, ArgText(src, call, 1));
            read.where = src.Where(call.pos);
            if (!read.keys.ok) {
                Unreadable(src, call.pos, read.keys.why);
                continue;
            }
            m_forwarded.push_back(read);
        }
    }

    std::set<Lookup> m_lookups;
    std::vector<std::string> m_problems;
    std::vector<ForwardedRead> m_forwarded;
    std::vector<GroupCall> m_groupCalls;
};

std::vector<Source> ReadSources() {
    std::vector<Source> sources;
    for (const char* folder : { "src", "programs" }) {
        const fs::path root = fs::path(MORVANE_SOURCE_DIR) / folder;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h"))
                sources.emplace_back(
                    fs::relative(entry.path(), MORVANE_SOURCE_DIR).string(), ReadFile(entry.path()));
        }
    }
    return sources;
}

struct SetUpFile {
    TiXmlDocument doc;
    std::vector<const TiXmlElement*> languages;

    SetUpFile() {
        const std::string path = std::string(MORVANE_SOURCE_DIR) + "/assets/XML/SetUp_View.xml";
        EXPECT_TRUE(doc.LoadFile(path.c_str())) << path;
        const TiXmlElement* data = doc.FirstChildElement("data");
        const TiXmlElement* all = data ? data->FirstChildElement("language") : nullptr;
        for (const TiXmlElement* lang = all ? all->FirstChildElement("language") : nullptr; lang;
             lang = lang->NextSiblingElement("language"))
            languages.push_back(lang);
    }

    static std::string NameOf(const TiXmlElement* lang) {
        const char* name = lang->Attribute("name");
        return name ? name : "?";
    }
};

const TiXmlElement* Child(const TiXmlElement* e, const std::string& name) {
    return e ? e->FirstChildElement(name.c_str()) : nullptr;
}

TEST(LanguageTexts, EveryLookupOfTheCodeHasATextInEveryLanguage) {
    const std::vector<Source> sources = ReadSources();
    const LookupScanner scanner(sources);
    for (const std::string& problem : scanner.Problems())
        ADD_FAILURE() << "a text lookup the test cannot read: " << problem;
    // The scanner sees the lookups of every window and dialog.
    std::set<std::string> classes;
    for (const Lookup& lookup : scanner.Lookups())
        classes.insert(lookup.className);
    for (const char* cls : { "main", "CConfig", "CMainDlg", "CModel", "CRobApp", "CInputDlg", "CLoginDlg",
             "CScoreDlg", "CAboutDlg", "CProgressDlg", "CRobDataDlg", "CRuleDlg", "CAssignGEODlg",
             "CMultiRobDlg", "CLoadDlg", "CDriveSetDlg", "CUserDefineDlg", "CExTreeView" })
        EXPECT_TRUE(classes.count(cls)) << "no lookup of class " << cls << " found in the sources";
    EXPECT_GT(scanner.Lookups().size(), 250u);

    SetUpFile setUp;
    std::set<std::string> names;
    for (const TiXmlElement* lang : setUp.languages)
        names.insert(SetUpFile::NameOf(lang));
    EXPECT_EQ(names, (std::set<std::string> { "中文", "English" }));

    for (const TiXmlElement* lang : setUp.languages) {
        const TiXmlElement* classNode = Child(lang, "class");
        std::set<std::string> reported;
        for (const Lookup& lookup : scanner.Lookups()) {
            const TiXmlElement* group = Child(Child(classNode, lookup.className), lookup.group);
            const std::string triple
                = lookup.className + "/" + lookup.group + (lookup.key.empty() ? "" : "/" + lookup.key);
            const bool present = group && (lookup.key.empty() || group->Attribute(lookup.key.c_str()));
            if (!present && reported.insert(triple).second)
                ADD_FAILURE() << SetUpFile::NameOf(lang) << " lacks " << triple << " (looked up at "
                              << lookup.where << ")";
        }
    }

    // Each language has texts of its own: a text pasted from the other
    // language shows as the same words in both, or as Chinese in English.
    const auto text = [&](const std::string& language, const Lookup& lookup) -> std::string {
        for (const TiXmlElement* lang : setUp.languages) {
            const TiXmlElement* group = Child(Child(Child(lang, "class"), lookup.className), lookup.group);
            if (SetUpFile::NameOf(lang) == language && group && group->Attribute(lookup.key.c_str()))
                return group->Attribute(lookup.key.c_str());
        }
        return std::string();
    };
    const std::regex words("[A-Za-z]{2,}");
    const std::regex chinese("[\xE4-\xE9][\x80-\xBF][\x80-\xBF]");
    std::set<std::string> compared;
    for (const Lookup& lookup : scanner.Lookups()) {
        if (lookup.key.empty()
            || !compared.insert(lookup.className + "/" + lookup.group + "/" + lookup.key).second)
            continue;
        const std::string zh = text("中文", lookup);
        const std::string en = text("English", lookup);
        const std::string triple = lookup.className + "/" + lookup.group + "/" + lookup.key;
        EXPECT_FALSE(zh == en && std::regex_search(zh, words) && zh.find('/') == std::string::npos)
            << triple << " is \"" << zh << "\" in both languages";
        EXPECT_FALSE(std::regex_search(en, chinese)) << triple << " is Chinese in English: " << en;
    }
}

// A Chinese text is Chinese only: the ASCII words in it are names of files
// (paths, our programs' file names, file kinds such as PNG), numbers (and
// part numbers and sizes such as 512x512), keys such as Ctrl+R or the "ID"
// Chinese writes as it is (the contest server's "用户ID错"), never English
// words a Chinese reader would have to translate.
TEST(LanguageTexts, ChineseTextsHoldNoEnglishWords) {
    SetUpFile setUp;
    const std::set<std::string> fileNames = { "Morvane", "ClassServer", "RobotHost", "PNG", "JPG", "BMP",
        "IVE", "OSG", "ROB", "PLA", "DLL", "ID" };
    const std::regex token(R"([\x21-\x7E]+)");
    const std::regex word("[A-Za-z]{2,}");
    const std::regex path(R"(^\*?[\w-]*[./][\w./-]+$)");
    const std::regex digit("[0-9]");
    const std::regex keys(R"(^((Ctrl|Shift|Alt)\+)+\w+$)");
    int texts = 0;
    for (const TiXmlElement* lang : setUp.languages) {
        if (SetUpFile::NameOf(lang) != "中文")
            continue;
        std::vector<const TiXmlElement*> open = { lang };
        while (!open.empty()) {
            const TiXmlElement* element = open.back();
            open.pop_back();
            for (const TiXmlElement* child = element->FirstChildElement(); child;
                 child = child->NextSiblingElement())
                open.push_back(child);
            for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
                ++texts;
                const std::string text = a->Value();
                for (auto it = std::sregex_iterator(text.begin(), text.end(), token);
                     it != std::sregex_iterator(); ++it) {
                    std::string found = it->str();
                    // Brackets and sentence marks around a name are no part of it.
                    const std::string marks = "()[]{}<>:;,!?\"'";
                    while (!found.empty() && marks.find(found.front()) != std::string::npos)
                        found.erase(found.begin());
                    while (!found.empty() && (marks + ".").find(found.back()) != std::string::npos)
                        found.pop_back();
                    if (!std::regex_search(found, word) || fileNames.count(found)
                        || std::regex_match(found, path) || std::regex_search(found, digit)
                        || std::regex_match(found, keys))
                        continue;
                    ADD_FAILURE() << element->Value() << "/" << a->Name() << " holds the English \"" << found
                                  << "\": " << text;
                }
            }
        }
    }
    EXPECT_GT(texts, 400);
}

// The names the data of the set-up file asks for: every studio's and every
// example's, in every language.
TEST(LanguageTexts, EveryStudioAndExampleHasANameInEveryLanguage) {
    SetUpFile setUp;
    const TiXmlElement* view = Child(setUp.doc.FirstChildElement("data"), "view");
    ASSERT_NE(view, nullptr);
    std::vector<std::string> studios;
    std::vector<std::string> examples;
    for (const TiXmlElement* studio = view->FirstChildElement(); studio;
         studio = studio->NextSiblingElement()) {
        if (std::string(studio->Value()).rfind("studio", 0) != 0)
            continue;
        studios.push_back(studio->Value());
        const TiXmlElement* list = Child(studio, "example");
        for (const TiXmlElement* example = list ? list->FirstChildElement() : nullptr; example;
             example = example->NextSiblingElement())
            examples.push_back(example->Value());
    }
    EXPECT_GE(studios.size(), 2u);
    EXPECT_GE(examples.size(), 8u);
    for (const TiXmlElement* lang : setUp.languages) {
        for (const std::string& studio : studios) {
            const TiXmlElement* entry = Child(Child(lang, "studio"), studio);
            EXPECT_TRUE(entry && entry->Attribute("name") && *entry->Attribute("name"))
                << SetUpFile::NameOf(lang) << " has no name for " << studio;
        }
        for (const std::string& example : examples) {
            const TiXmlElement* entry = Child(Child(Child(lang, "view"), "example"), example);
            EXPECT_TRUE(entry && entry->Attribute("language") && *entry->Attribute("language"))
                << SetUpFile::NameOf(lang) << " has no name for " << example;
        }
    }
}

} // namespace
