#include "engine/srmanager.h"

int TAMaskBlockList::Add(std::unique_ptr<TAMaskBlock> pattern) {
    Items.push_back(std::move(pattern));
    return Count() - 1;
}

void TAMaskBlockList::Delete(int index) {
    Items.erase(Items.begin() + index);
}

void TAMaskBlockList::RecompileAll() {
    for (auto& pattern : Items)
        if (pattern->Masked)
            pattern->Compile();
}

void TSRManager::RecompileAll() {
    SearchPatterns.RecompileAll();
    TargetPatterns.RecompileAll();
}
