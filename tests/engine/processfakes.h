#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/processcontroller.h"

namespace bw::test {

// A literal search over a byte text with the engine's pass: reports or asks at
// each match, advances the start past it (or keeps a start the window chose),
// and counts finds and changes.
class ScriptEngine : public TProcessEngine {
public:
    std::string text, search = "a", target = "b";
    QString fileName = QStringLiteral("C:\\site\\page.htm");
    bool modified = false, doSetting = true, reportOnly = false, aborted = false;
    int startPos = 0, foundAt = -1, foundLength = 0, passFinds = 0, passReplacements = 0;
    bool keepsText = false; // accepted changes leave the text as it is (writing to a file)
    mutable int textReads = 0;
    TProcessController* window = nullptr;

    const std::string& Text() const override {
        ++textReads;
        return text;
    }
    void SetText(const std::string& bytes) override { text = bytes; }
    std::uint64_t TextVersion() const override { return std::hash<std::string>{}(text); }
    bool Modified() const override { return modified; }
    void SetModified(bool on) override { modified = on; }
    QString FileName() const override { return fileName; }
    int StartPos() const override { return startPos; }
    void SetStartPos(int pos) override { startPos = pos; }
    int FoundAt() const override { return foundAt; }
    void SetFoundAt(int pos) override { foundAt = pos; }
    int FoundLength() const override { return foundLength; }
    void SetDoSettingNewStartPosition(bool on) override { doSetting = on; }
    bool ReportOnly() const override { return reportOnly; }
    void SetAbort() override { aborted = true; }
    void MarkFound() override {}
    void ResetPassCounters() override { passFinds = passReplacements = 0; }
    void UncountFind() override { --passFinds; }
    bool ActionChangesText() const override { return !reportOnly && !keepsText; }

    void Load(const std::string& bytes) {
        text = bytes;
        modified = false;
    }

    void ProcessAll() {
        for (int guard = 0; !aborted; ++guard) {
            ASSERT_LT(guard, 1000) << "the pass does not end";
            const std::size_t at = startPos > static_cast<int>(text.size()) ? std::string::npos : text.find(search, startPos);
            if (at == std::string::npos) {
                foundAt = -1;
                break;
            }
            foundAt = static_cast<int>(at);
            foundLength = static_cast<int>(search.size());
            ++passFinds;
            if (reportOnly) {
                Advance();
                window->AfterFound();
                continue;
            }
            bool go = true;
            window->BeforeReplace(go);
            passReplacements += go;
            if (!go || keepsText) {
                Advance();
                continue;
            }
            text.replace(foundAt, foundLength, target);
            modified = true;
            startPos = foundAt + static_cast<int>(target.size());
        }
    }

private:
    void Advance() {
        if (doSetting)
            startPos = foundAt + foundLength;
        else
            doSetting = true;
    }
};

// The dialog played from a script: each showing runs the next step, which acts
// as the user would through the controller.
class ScriptView : public TProcessView {
public:
    struct Showing {
        int markStart;
        bool readOnly;
        TMarkedRanges marked;
    };
    using Step = std::function<void()>;

    std::deque<Step> steps;
    std::vector<Showing> showings;
    TMarkedRanges marked;
    int result = mrNone, selStart = 0, selLength = 0, markStart = -1;
    int codePage = TProcessCodePages::NoConversion;
    bool shown = false, readOnly = false;
    QString caption = QStringLiteral("Processing of file"), editCaption = QStringLiteral("E&dit");
    TProcessLayout layout;
    std::string viewText;

    int ShowModal() override {
        shown = true;
        result = mrNone;
        showings.push_back({markStart, readOnly, marked});
        if (steps.empty()) {
            ADD_FAILURE() << "the window was shown more often than scripted";
            result = mrAbort;
        } else {
            Step step = std::move(steps.front());
            steps.pop_front();
            step();
            if (result == mrNone) ADD_FAILURE() << "a scripted showing did not close the window";
        }
        shown = false;
        return result;
    }
    void CloseModal(int r) override {
        if (shown) result = r;
    }
    bool IsShown() const override { return shown; }
    void PumpMessages() override {}
    QString Caption() const override { return caption; }
    void SetCaption(const QString& c) override { caption = c; }
    void ApplyLayout(const TProcessLayout& l) override { layout = l; }
    void SetEditCaption(const QString& c) override { editCaption = c; }
    void SetReadOnly(bool on) override { readOnly = on; }
    void ShowMarked(const TMarkedRanges& ranges) override { marked = ranges; }
    void ShowText(const std::string& bytes, int start, int length) override {
        marked.clear();
        viewText = bytes;
        markStart = selStart = start;
        selLength = length;
    }
    void ClearText() override { viewText.clear(); }
    std::string ViewText() const override { return viewText; }
    int SelStart() const override { return selStart; }
    int SelLength() const override { return selLength; }
    void SetSelection(int start, int length) override {
        selStart = start;
        selLength = length;
    }
    void FocusText() override {}
    int CodePageNumber() const override { return codePage; }

    std::vector<int> Marks() const {
        std::vector<int> marks;
        for (const Showing& s : showings) marks.push_back(s.markStart);
        return marks;
    }
};

// Three code-page items; any conversion but none wraps the bytes in brackets.
class FakeCodePages : public TProcessCodePages {
public:
    std::vector<int> converted;
    std::vector<Item> Items() const override { return {{"Win-1251", NoConversion}, {"KOI8-R", 3}, {"Automatic", 42}}; }
    int DefaultItem() const override { return 2; }
    std::string Convert(int number, const std::string& bytes, QString& log) override {
        converted.push_back(number);
        log += (number == NoConversion ? QStringLiteral("Win-1251") : QStringLiteral("KOI8-R")) + " -> Win-1251,";
        return number == NoConversion ? bytes : "[" + bytes + "]";
    }
};

} // namespace bw::test
