#include "engine/srinfo.h"

#include "platform/cp1251.h"
#include "platform/delimitedtext.h"
#include "platform/error.h"
#include "platform/textvalues.h"

#include <charconv>
#include <optional>
#include <vector>

namespace {

constexpr char kDelimiter = ';';

class RuleWriter {
public:
    void set(const char* key, const std::string& value) {
        if (!value.empty()) // an empty value leaves the key out
            items_.push_back(std::string(key) + '=' + value);
    }
    void set(const char* key, const QString& value) { set(key, bw::encode1251(value)); }
    void set(const char* key, bool value) { set(key, std::string(value ? "-1" : "0")); }
    void set(const char* key, long long value) { set(key, std::to_string(value)); }
    // A folder is refused rather than written with '?' for the characters the
    // code page lacks: read back, it would name another folder.
    void setFolder(const char* key, const QString& folder) {
        bool lossy = false;
        std::string bytes = bw::encode1251(folder, &lossy);
        if (lossy)
            throw bw::Error(QStringLiteral("The folder \"%1\" has characters that Windows-1251 cannot hold; a rule "
                                           "can not be stored with it. Choose another folder.")
                                .arg(folder));
        set(key, bytes);
    }

    std::string text() const { return bw::joinDelimited(items_, kDelimiter); }

private:
    std::vector<std::string> items_;
};

std::optional<std::int32_t> parseInt(const std::string& s) {
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

std::optional<bool> parseBool(const std::string& s) { return bw::parseBoolean(s, parseInt); }

// Reading stops at the first value that cannot be read: the reader turns that
// into an exception so one guard around the sequence ends it.
struct Unreadable {};

class RuleReader {
public:
    explicit RuleReader(const std::string& text) : items_(bw::splitDelimited(text, kDelimiter)) {}

    std::string raw(const char* key) const { return bw::delimitedValue(items_, std::string(key)); }
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
    std::vector<std::string> items_;
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
    return w.text();
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
