#pragma once

// The engine's patterns: one search pattern and one target pattern.

#include "engine/maskblocks.h"

#include <memory>
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

class TSRManager {
public:
    TAMaskBlockSList SearchPatterns;
    TAMaskBlockRList TargetPatterns;

    // The search side first: target blocks resolve against fresh search blocks.
    void RecompileAll();

    // The replacement builder; defined with the processing loop.
    void BuildTarget(int targetIndex, int searchIndex);
    void WriteOutputs(int targetIndex);
};
