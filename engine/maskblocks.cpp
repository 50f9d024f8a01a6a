#include "engine/maskblocks.h"

#include "platform/cp1251.h"
#include "platform/format.h"
#include "services/langmanager.h"

#include <algorithm>
#include <limits>

QString OutputFolder;
QString InputFolder;

namespace {

char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    return true;
}

// Characters a block code is made of: '*', '?' and the codes 65..122.
const TCharSet& codeChars() {
    static const TCharSet set = [] {
        TCharSet s;
        s.set('*');
        s.set('?');
        for (int c = 65; c <= 122; ++c)
            s.set(static_cast<std::size_t>(c));
        return s;
    }();
    return set;
}

std::size_t byteIndex(char c) { return static_cast<unsigned char>(c); }

// A pattern that does not compile: the message of key in the language in use,
// filled with args.
[[noreturn]] void fail(const char* key, const char* english, const QVariantList& args) {
    throw bw::PatternError(bw::format(LangMessage(key, english), args));
}

} // namespace

TCharSet CharSetOf(std::string_view chars) {
    TCharSet set;
    for (char c : chars)
        set.set(byteIndex(c));
    return set;
}

int IndexOfText(std::string_view text, const std::vector<std::string_view>& list) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (sameTextAscii(text, list[i]))
            return static_cast<int>(i);
    return -1;
}

int FindCharOfSet(std::string_view text, const TCharSet& set, int pos) {
    for (int p = std::max(pos, 1); p <= static_cast<int>(text.size()); ++p)
        if (set.test(byteIndex(text[static_cast<std::size_t>(p - 1)])))
            return p;
    return -1;
}

std::string ReadCharsOfSet(std::string_view text, const TCharSet& set, int& pos) {
    const int start = pos;
    if (pos < 1 || pos > static_cast<int>(text.size()))
        return {};
    while (pos <= static_cast<int>(text.size()) && set.test(byteIndex(text[static_cast<std::size_t>(pos - 1)])))
        ++pos;
    return std::string(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(pos - start)));
}

bool ReadSignedInt(std::string_view text, int& pos, std::int32_t& value) {
    const int size = static_cast<int>(text.size());
    if (pos < 1 || pos > size)
        return false;
    int sign = 1;
    const char first = text[static_cast<std::size_t>(pos - 1)];
    if (first == '-' || first == '+') {
        sign = first == '-' ? -1 : 1;
        ++pos;
    }
    std::int64_t number = 0;
    bool fits = true;
    const int digitsStart = pos;
    while (pos <= size) {
        const char c = text[static_cast<std::size_t>(pos - 1)];
        if (c < '0' || c > '9')
            break;
        if (fits) {
            number = number * 10 + (c - '0');
            if (number > std::numeric_limits<std::int32_t>::max())
                fits = false;
        }
        ++pos;
    }
    if (pos == digitsStart || !fits || number == std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(number * sign);
    return true;
}

std::string ReadQuotedText(std::string_view text, int& pos) {
    if (pos < 1 || pos > static_cast<int>(text.size()) || text[static_cast<std::size_t>(pos - 1)] != '"')
        return {};
    ++pos;
    const std::size_t from = static_cast<std::size_t>(pos - 1);
    const std::size_t close = text.find('"', from);
    if (close == std::string_view::npos)
        return {};
    return std::string(text.substr(from, close - from));
}

// ---------------------------------------------------------------------------
// Blocks

TMaskBlockKind TMaskBlock::ReadCode(int& pos, std::string& code) const {
    code = ReadCharsOfSet(Text, codeChars(), pos);
    static const std::vector<std::string_view> literalCodes = {"OB", "CB", "C", "LEU", "LEW"};
    if (IndexOfText(code, literalCodes) >= 0)
        return mbkText;
    const int kind = LookupCode(code);
    if (kind < 0)
        fail("szUnknownBlock", "Unknown block %s", {bw::decode1251(code)});
    return static_cast<TMaskBlockKind>(kind);
}

void TMaskBlock::Parse() {
    const std::string inside = Text;
    int pos = 1;
    Number1 = 0;
    Number2 = 0;
    const bool hasNumber1 = ReadSignedInt(inside, pos, Number1);
    std::string code;
    Kind = ReadCode(pos, code);
    const bool hasNumber2 = ReadSignedInt(inside, pos, Number2);

    switch (Kind) {
    case mbkChars:
        if (!hasNumber1)
            Number1 = 1;
        // A count of 0 or below takes no characters.
        Length = FoundLength = std::max(Number1, 0);
        break;
    case mbkGap:
        Length = -1;
        break;
    case mbkText: {
        static const std::vector<std::string_view> codes = {"OB", "CB", "LEU", "LEW", "C"};
        switch (IndexOfText(code, codes)) {
        case 0: Text = "["; break;
        case 1: Text = "]"; break;
        case 2: Text = "\n"; break;
        case 3: Text = "\r\n"; break;
        default:
            if (hasNumber1) {
                const std::int64_t count = hasNumber2 ? std::max<std::int32_t>(Number2, 0) : 1;
                if (count > bw::kMaxRepeatedText)
                    fail("szBlockTooLong", "Block [%s] gives a text longer than %d characters",
                         {bw::decode1251(inside), qint64(bw::kMaxRepeatedText)});
                Text.assign(static_cast<std::size_t>(count), static_cast<char>(Number1 & 0xFF));
            }
            // Without a character code the inside stays as written.
            break;
        }
        Length = static_cast<std::int32_t>(Text.size());
        break;
    }
    case mbkCounter:
        if (!hasNumber1)
            fail("szCounterNoStart", "[I] must have initial value", {});
        if (!hasNumber2)
            Number2 = 1;
        break;
    case mbkBlockRef:
        if (!hasNumber1 && !hasNumber2)
            fail("szBlockRefNoNumber", "[B] must have block number", {});
        if (!hasNumber1)
            Number1 = Number2;
        break;
    case mbkLineBegin:
        Length = 0;
        Text = "\n";
        break;
    case mbkFileBegin:
    case mbkFileEnd:
        Length = 0;
        break;
    case mbkCharRun:
        Text = pos <= static_cast<int>(inside.size()) ? inside.substr(static_cast<std::size_t>(pos - 1)) : std::string();
        if (Text.empty())
            Text = "0123456789";
        Length = -1;
        break;
    case mbkOutput:
    case mbkLine:
    case mbkLineAt:
    case mbkLineGo:
    case mbkLineOfFile:
        Text = ReadQuotedText(inside, pos);
        if (!Text.empty()) {
            // The folder stays a QString: a path may hold characters the
            // working code page lacks.
            const QString& folder = Kind == mbkOutput ? OutputFolder : InputFolder;
            FilePath = folder + bw::decode1251(Text);
            Text = bw::encode1251(folder) + Text;
        }
        break;
    }
}

int TMaskBlockS::LookupCode(std::string_view code) const {
    static const std::vector<std::string_view> codes = {"*", "D", "?", "LB", "FB", "FE"};
    static const int kinds[] = {mbkGap, mbkCharRun, mbkChars, mbkLineBegin, mbkFileBegin, mbkFileEnd};
    const int index = IndexOfText(code, codes);
    return index < 0 ? -1 : kinds[index];
}

int TMaskBlockR::LookupCode(std::string_view code) const {
    static const std::vector<std::string_view> codes = {"B", "I", "O", "Q", "QA", "QG", "QC"};
    static const int kinds[] = {mbkBlockRef, mbkCounter, mbkOutput, mbkLine, mbkLineAt, mbkLineGo, mbkLineOfFile};
    const int index = IndexOfText(code, codes);
    return index < 0 ? -1 : kinds[index];
}

std::unique_ptr<TMaskBlock> NewMaskBlockS() { return std::make_unique<TMaskBlockS>(); }
std::unique_ptr<TMaskBlock> NewMaskBlockR() { return std::make_unique<TMaskBlockR>(); }

int TMaskBlockList::Add(std::unique_ptr<TMaskBlock> block) {
    Items.push_back(std::move(block));
    return Count() - 1;
}

void TMaskBlockList::Delete(int index) {
    Items.erase(Items.begin() + index);
}

// ---------------------------------------------------------------------------
// Patterns

TAMaskBlock::TAMaskBlock(TMaskBlockClass blockClass) : BlockClass(blockClass) {}

TAMaskBlock::~TAMaskBlock() = default;

int TAMaskBlock::AddBlock() {
    return Blocks.Add(BlockClass());
}

void TAMaskBlock::SetText(const std::string& text) {
    Source = text;
    Text = Source;
    if (Masked)
        Compile();
}

void TAMaskBlock::Compile() {
    ++Generation;
    Blocks.Clear();
    AddBlock();
    const std::size_t size = Source.size();
    std::size_t pos = 0;
    while (pos < size) {
        TMaskBlock& block = Blocks[AddBlock()];
        if (Source[pos] == '[') {
            const std::size_t close = Source.find(']', pos + 1);
            if (close == std::string::npos)
                fail("szNoClosingBracket", "No ] for [ at position %d", {qint64(pos + 1)});
            block.Text = Source.substr(pos + 1, close - pos - 1);
            block.Parse();
            pos = close + 1;
        } else {
            std::size_t next = Source.find('[', pos);
            if (next == std::string::npos)
                next = size;
            block.Text = Source.substr(pos, next - pos);
            block.Kind = mbkText;
            block.Length = static_cast<std::int32_t>(block.Text.size());
            pos = next;
        }
    }
    Finish();
}

TAMaskBlockS::TAMaskBlockS() : TAMaskBlock(NewMaskBlockS) {}

void TAMaskBlockS::Finish() {
    Block(0).Kind = mbkGap;
    Block(0).PrevStar = -1;

    int last = Blocks.Count() - 1;
    if (last == 0 || Blocks[last].Kind == mbkGap || Blocks[1].Kind == mbkGap)
        fail("szGapAtEdge", "[*] cannot stand at the beginning or the end of the search text", {});

    // Adjacent literals become one block: the earliest of the run, with its own number.
    for (int n = last; n >= 2; --n) {
        if (Blocks[n].Kind != mbkText)
            continue;
        while (n >= 2 && Blocks[n - 1].Kind == mbkText) {
            TMaskBlock& into = Blocks[n - 1];
            into.Text += Blocks[n].Text;
            into.Length = static_cast<std::int32_t>(into.Text.size());
            Blocks.Delete(n);
            --n;
        }
    }

    int prevStar = 0;
    for (int i = 1; i < Blocks.Count(); ++i) {
        Block(i).PrevStar = prevStar;
        if (Blocks[i].Kind == mbkGap)
            prevStar = i;
    }
    AddBlock(); // end sentinel: kind [?], no length
}

TAMaskBlockR::TAMaskBlockR() : TAMaskBlock(NewMaskBlockR) {}

void TAMaskBlockR::Finish() {
    for (int i = 1; i < Blocks.Count(); ++i) {
        TMaskBlock& block = Blocks[i];
        if (block.Kind == mbkCounter) {
            block.FoundPos = block.Number1;
        } else if (block.Kind == mbkBlockRef) {
            int resolved = 0;
            if (block.Number1 > 0 && SearchPattern) {
                const TMaskBlockList& search = SearchPattern->Blocks;
                for (int k = 1; k < search.Count(); ++k)
                    if (search[k].Number2 == block.Number1) {
                        resolved = k;
                        break;
                    }
            }
            if (resolved == 0)
                fail("szBlockNotFound", "Block number %d is not in the search text", {block.Number1});
            block.Number2 = resolved;
        }
    }
}
