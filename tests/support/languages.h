#pragma once

#include "tests/support/testutil.h"

namespace bw::test {

// Points a language manager at the shipped language files and picks one.
template <typename LangManager>
bool useShippedLanguages(LangManager& lm, int current = 0) {
    lm.SetLangDir(binDir() + "Langs/");
    const bool loaded = lm.LoadLanguages();
    lm.SetCurrentLang(current);
    return loaded;
}

} // namespace bw::test
