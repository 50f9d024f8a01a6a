#include "engine/srinfo.h"

#include "platform/cp1251.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/textvalues.h"
#include "services/langmanager.h"

#include <deque>
#include <optional>
#include <string_view>
#include <vector>

namespace {

// The rule text is a ';'-delimited list of Name=Value items (see
// platform/delimitedtext.h for the quoting rules); the writer and the reader
// below follow those rules directly on the bytes, without building a list of
// items first, since rule lists hold many thousands of rules.
constexpr char kDelimiter = ';';

bool needsQuote(unsigned c) { return c <= ' ' || c == '"' || c == unsigned(kDelimiter); }

class RuleWriter {
public:
    RuleWriter() { out_.reserve(256); }

    void set(const char* key, std::string_view value) {
        if (value.empty()) // an empty value leaves the key out
            return;
        if (!out_.empty())
            out_.push_back(kDelimiter);
        bool quote = false;
        for (char c : value)
            if (needsQuote(static_cast<unsigned char>(c))) {
                quote = true;
                break;
            }
        if (!quote) {
            out_.append(key).push_back('=');
            out_.append(value);
            return;
        }
        out_.push_back('"');
        out_.append(key).push_back('=');
        std::size_t from = 0;
        for (std::size_t i = 0; i < value.size(); ++i)
            if (value[i] == '"') {
                out_.append(value.substr(from, i + 1 - from)).push_back('"');
                from = i + 1;
            }
        out_.append(value.substr(from));
        out_.push_back('"');
    }
    void set(const char* key, const QString& value) { set(key, std::string_view(bw::encode1251(value))); }
    void set(const char* key, bool value) { set(key, std::string_view(value ? "-1" : "0")); }
    void set(const char* key, long long value) { set(key, std::string_view(std::to_string(value))); }
    // A folder is refused rather than written with '?' for the characters the
    // code page lacks: read back, it would name another folder.
    void setFolder(const char* key, const QString& folder) {
        bool lossy = false;
        const std::string bytes = bw::encode1251(folder, &lossy);
        if (lossy)
            throw bw::Error(bw::format(LangMessage("szFolderNot1251",
                                                   "The folder \"%s\" has characters that Windows-1251 cannot "
                                                   "hold; a rule can not be stored with it. Choose another folder."),
                                       {folder}));
        set(key, std::string_view(bytes));
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

std::optional<std::int32_t> parseInt(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<bool> parseBool(std::string_view s) { return bw::parseBoolean(s, parseInt); }

// Reading stops at the first value that cannot be read: the reader turns that
// into an exception so one guard around the sequence ends it.
struct Unreadable {};

class RuleReader {
public:
    explicit RuleReader(const std::string& text) { split(text); }

    // The value of the first item whose name is key (ASCII letters without
    // regard to case); a missing key reads as empty.
    std::string_view raw(std::string_view key) const {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        for (std::string_view item : items_) {
            if (item.size() <= key.size() || item[key.size()] != '=')
                continue;
            std::size_t k = 0;
            while (k < key.size() && lower(item[k]) == lower(key[k]))
                ++k;
            if (k == key.size())
                return item.substr(key.size() + 1);
        }
        return {};
    }
    QString wide(const char* key) const { return bw::decode1251(raw(key)); }
    bool boolean(const char* key) const {
        if (auto b = parseBool(raw(key)))
            return *b;
        throw Unreadable{};
    }
    std::int32_t integer(const char* key) const {
        if (auto n = parseInt(raw(key)))
            return *n;
        throw Unreadable{};
    }
    // An action outside the known range is as unreadable as a malformed number.
    TOnFoundActionType action(const char* key) const {
        const std::int32_t n = integer(key);
        if (!isOnFoundActionType(n))
            throw Unreadable{};
        return static_cast<TOnFoundActionType>(n);
    }

private:
    // The items of the text as views into it; a quoted item with doubled
    // quotes is undone into storage of its own (a deque keeps its strings in
    // place, so views into them stay valid).
    void split(const std::string& text) {
        items_.reserve(20);
        const std::size_t n = text.size();
        std::size_t i = 0;
        auto code = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        auto skipBlanks = [&] {
            while (i < n && code(i) >= 1 && code(i) <= ' ')
                ++i;
        };
        skipBlanks();
        while (i < n) {
            if (code(i) == '"') {
                const std::size_t from = ++i;
                bool doubled = false;
                while (i < n) {
                    if (code(i) == '"') {
                        if (i + 1 < n && code(i + 1) == '"') {
                            doubled = true;
                            i += 2;
                            continue;
                        }
                        break;
                    }
                    ++i;
                }
                std::string_view item(text.data() + from, i - from);
                if (i < n)
                    ++i; // the closing quote
                if (doubled) {
                    std::string& undone = unquoted_.emplace_back();
                    undone.reserve(item.size());
                    std::size_t from = 0;
                    for (std::size_t k = item.find('"'); k != std::string_view::npos; k = item.find('"', from)) {
                        undone.append(item.substr(from, k + 1 - from)); // up to and with one quote
                        from = k + 2;                                    // the doubled one dropped
                    }
                    if (from < item.size())
                        undone.append(item.substr(from));
                    item = undone;
                }
                items_.push_back(item);
            } else {
                const std::size_t from = i;
                while (i < n && code(i) > ' ' && code(i) != unsigned(kDelimiter))
                    ++i;
                items_.emplace_back(text.data() + from, i - from);
            }
            skipBlanks();
            if (i < n && code(i) == unsigned(kDelimiter)) {
                ++i;
                if (i == n) {
                    items_.emplace_back();
                    break;
                }
                skipBlanks();
            } else if (i < n && code(i) == 0) {
                // A zero character ends the text, as it would a C string.
                break;
            }
        }
    }

    std::vector<std::string_view> items_;
    std::deque<std::string> unquoted_;
};

} // namespace

std::string RuleToText(const TSRInfo& rule) {
    const TSourceInfo& s = rule.Source;
    const TTargetInfo& t = rule.Target;
    RuleWriter w;
    w.set("ssText", s.ssText);
    w.set("sbAS", s.sbAS);
    w.set("sbCaseSensitive", s.sbCaseSensitive);
    w.set("sbWholeWords", s.sbWholeWords);
    w.set("sbIgnoreMode", s.sbIgnoreMode);
    w.set("sbSaveCP", s.sbSaveCP);
    w.set("sbStopCPChange", s.sbStopCPChange);
    w.set("siCharCount", static_cast<long long>(s.siCharCount));
    w.set("ssCLBCP", s.ssCLBCP);
    w.set("SearchActionType", static_cast<long long>(rule.SearchActionType));
    if (rule.SearchActionType >= ofatReplace) {
        w.set("tsText", t.tsText);
        w.set("tbAS", t.tbAS);
        w.set("tbConfirmReplace", t.tbConfirmReplace);
        w.set("tbShowHint", t.tbShowHint);
        w.set("tbRepeat", t.tbRepeat);
        w.setFolder("OutFolder", t.OutFolder);
        w.setFolder("InFolder", t.InFolder);
    }
    return w.take();
}

void TextToRule(TSRInfo& rule, const std::string& text) {
    if (text.empty())
        return;
    const RuleReader r(text);
    TSourceInfo& s = rule.Source;
    TTargetInfo& t = rule.Target;
    // Each value is stored as soon as it is read, so an unreadable one keeps
    // everything before it.
    try {
        s.ssText = r.wide("ssText");
        s.sbAS = r.boolean("sbAS");
        s.sbCaseSensitive = r.boolean("sbCaseSensitive");
        s.sbWholeWords = r.boolean("sbWholeWords");
        s.sbIgnoreMode = r.boolean("sbIgnoreMode");
        s.sbSaveCP = r.boolean("sbSaveCP");
        s.sbStopCPChange = r.boolean("sbStopCPChange");
        s.siCharCount = r.integer("siCharCount");
        s.ssCLBCP = r.wide("ssCLBCP");
        try {
            rule.SearchActionType = r.action("SearchActionType");
        } catch (const Unreadable&) {
            // Older rule texts only said whether the rule had a target.
            rule.SearchActionType = r.boolean("bTarget") ? ofatReplace : ofatDontChange;
        }
        if (rule.SearchActionType < ofatReplace)
            return;
        t.tsText = r.wide("tsText");
        t.tbAS = r.boolean("tbAS");
        t.tbConfirmReplace = r.boolean("tbConfirmReplace");
        t.tbShowHint = r.boolean("tbShowHint");
        t.tbRepeat = r.boolean("tbRepeat");
        t.InFolder = r.wide("InFolder");
        t.OutFolder = r.wide("OutFolder");
        if (t.OutFolder.isEmpty())
            t.OutFolder = r.wide("FolderForOutput");
    } catch (const Unreadable&) {
    }
}
