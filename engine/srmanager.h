#pragma once

// The engine's patterns: one search pattern and one target pattern.

#include "engine/maskblocks.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Owning list of patterns.
class TAMaskBlockList {
public:
    virtual ~TAMaskBlockList() = default;

    int Count() const { return static_cast<int>(Items.size()); }
    int Add(std::unique_ptr<TAMaskBlock> pattern);
    void Delete(int index);
    void Clear() { Items.clear(); }

    // Compiles every masked pattern in list order; the first error passes to the caller.
    virtual void RecompileAll();

protected:
    TAMaskBlock& Item(int index) { return *Items[static_cast<std::size_t>(index)]; }

private:
    std::vector<std::unique_ptr<TAMaskBlock>> Items;
};

class TAMaskBlockSList : public TAMaskBlockList {
public:
    TAMaskBlockS& operator[](int index) { return static_cast<TAMaskBlockS&>(Item(index)); }
};

class TAMaskBlockRList : public TAMaskBlockList {
public:
    TAMaskBlockR& operator[](int index) { return static_cast<TAMaskBlockR&>(Item(index)); }
};

// What the output blocks of a pass write, gathered per output file and
// appended with one write per file: when the pass ends, or earlier once
// kFlushSize bytes have gathered. Each file gets its bytes in the order they
// were added.
class TOutputFiles {
public:
    static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

    // An empty text still makes the file (as an empty append does).
    void Add(const QString& path, std::string_view text);
    // Appends what has gathered, file by file (a missing folder is made
    // first); a failed append is cut back and asked about as any append is.
    void Flush();
    void Drop() noexcept;
    bool Empty() const { return files_.empty(); }

private:
    std::vector<std::pair<QString, std::string>> files_;
    std::size_t gathered_ = 0;
};

class TSRManager {
public:
    TAMaskBlockSList SearchPatterns;
    TAMaskBlockRList TargetPatterns;

    // The search side first: target blocks resolve against fresh search blocks.
    void RecompileAll();

    // The replacement builder; defined with the processing loop.
    void BuildTarget(int targetIndex, int searchIndex);
    // Adds the outputs of the target pattern's last build to Outputs.
    void WriteOutputs(int targetIndex);
    void FlushOutputs() { Outputs.Flush(); }
    void DropOutputs() noexcept { Outputs.Drop(); }

    TOutputFiles Outputs;
};
