#pragma once

#include "app/conversionscheme.h"
#include "app/project.h"
#include "files/filetree.h"
#include "rules/srheader.h"
#include "rules/srlist.h"

// A whole job held without widgets: the models of a project's sections, for
// making and reading projects outside the main window.
struct TProjectJob {
    TFileVTreeView Tree;
    TSRHeader Header;
    TSRList Rules;
    TConversionScheme Scheme;
    TFileTreeSection TreeSection{Tree};
    TRuleListSection RuleSection{Header, Rules};
    TSchemeSection SchemeSection{Scheme};
    TOptionsSection OptionsSection;

    TProjectSections Sections() { return TProjectSections(TreeSection, RuleSection, SchemeSection, OptionsSection); }
};
