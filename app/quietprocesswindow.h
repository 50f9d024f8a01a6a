#pragma once

#include "app/processrun.h"

// A processing window that shows nothing and asks nothing: for runs without
// a window (rules that need no confirmation, measurements).
class TQuietProcessWindow : public TRunProcessWindow {
public:
    void Hide() override {}
    void PushCaption() override {}
    void PopCaption() override {}
    void SetCaption(const QString&) override {}
    void SetDefaultFont() override {}
    void PrepareFind() override {}
    void PrepareReplace() override {}
    void TextLoaded() override {}
};
