#include "rules/rulelistblock.h"

#include <QBuffer>
#include <cstdint>

#include "engine/srinfo.h"
#include "rules/srheader.h"
#include "rules/srlist.h"
#include "platform/format.h"
#include "services/fileroutines.h"
#include "services/langmanager.h"

namespace {

std::int32_t readCount(QIODevice& stream) {
    const qint64 at = stream.pos();
    unsigned char b[4];
    if (stream.read(reinterpret_cast<char*>(b), 4) != 4)
        throw bw::StreamReadError(bw::format(
            LangMessage("szDataEndsBeforeCount",
                        "The data is damaged: it ends at byte %d where the number of rules was expected."),
            {at}));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                     (static_cast<std::uint32_t>(b[2]) << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

bool readEnabled(QIODevice& stream) {
    const qint64 at = stream.pos();
    char c = 0;
    if (!stream.getChar(&c))
        throw bw::StreamReadError(bw::format(
            LangMessage("szDataEndsBeforeRule", "The data is damaged: it ends at byte %d where a rule was expected."),
            {at}));
    return c != 0;
}

// Calls header(text) once, then rule(enabled, text) per rule, as they are read.
template <typename OnHeader, typename OnRule>
void readBlock(QIODevice& stream, OnHeader&& header, OnRule&& rule) {
    std::string text;
    ReadStreamString(stream, text);
    header(std::move(text));
    for (std::int32_t left = readCount(stream); left > 0; --left) {
        const bool enabled = readEnabled(stream);
        std::string ruleText;
        ReadStreamString(stream, ruleText);
        rule(enabled, std::move(ruleText));
    }
}

std::unique_ptr<TSRInfo> ruleFromText(const std::string& text) {
    auto rule = std::make_unique<TSRInfo>();
    TextToRule(*rule, text);
    return rule;
}

} // namespace

void SaveRuleListBlock(QIODevice& stream, const TSRHeader& header, const TSRList& list) {
    WriteStreamString(header.GetText(), stream);
    const auto n = static_cast<std::uint32_t>(list.Count());
    const char count[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                           static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
    if (stream.write(count, 4) != 4)
        throw bw::Error(DataNotWrittenMessage(stream));
    for (int i = 0; i < list.Count(); ++i) {
        if (!stream.putChar(list.Checked(i) ? 1 : 0))
            throw bw::Error(DataNotWrittenMessage(stream));
        WriteStreamString(RuleToText(list.Rule(i)), stream);
    }
}

TRuleListBlock ReadRuleListBlock(QIODevice& stream) {
    TRuleListBlock block;
    bool headerRead = false;
    try {
        readBlock(
            stream,
            [&](std::string&& header) {
                block.Header = std::move(header);
                headerRead = true;
            },
            [&](bool enabled, std::string&& text) { block.Rules.push_back({enabled, std::move(text)}); });
    } catch (const bw::StreamReadError&) {
        if (!headerRead)
            throw;
        block.Damaged = true;
    }
    return block;
}

void ApplyRuleListBlock(TRuleListBlock&& block, TSRHeader& header, TSRList& list) {
    header.SetText(block.Header);
    list.Clear();
    list.Reserve(static_cast<int>(block.Rules.size()));
    for (const TRuleListEntry& entry : block.Rules)
        list.Append(entry.Enabled, ruleFromText(entry.Text));
}

void LoadRuleListBlock(QIODevice& stream, TSRHeader& header, TSRList& list) {
    readBlock(
        stream,
        [&](std::string&& text) {
            header.SetText(text);
            list.Clear();
        },
        [&](bool enabled, std::string&& text) { list.Append(enabled, ruleFromText(text)); });
}

TRuleListBlock ParseRuleListFile(const std::string& bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TRuleListBlock block = ReadRuleListBlock(buffer);
    if (buffer.pos() != buffer.size())
        block.Damaged = true;
    return block;
}
