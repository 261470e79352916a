#include "fonts/FaceLoading.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

// A configuration without a single font or rule: a match against it ends at once, finding
// nothing, and Qt then keeps its own defaults. Built once and kept for the process.
static FcConfig *configWithoutFonts()
{
    static FcConfig *const empty = [] {
        // Qt reads its list of fonts from the current configuration the first time it is
        // asked for one: that must be the program's own. The program adds no fonts of its
        // own, so Qt never reads the list again.
        QFontDatabase::families();
        FcConfig *config = FcConfigCreate();
        // Building its (empty) font list now keeps the swap itself cheap.
        if (config && !FcConfigBuildFonts(config)) {
            FcConfigDestroy(config);
            config = nullptr;
        }
        return config;
    }();
    return empty;
}

FaceLoadingWithoutMatch::FaceLoadingWithoutMatch()
{
    FcConfig *empty = configWithoutFonts();
    if (!empty)
        return;
    // Holding the program's configuration keeps it alive while it is not the current one.
    m_previous = FcConfigReference(nullptr);
    if (m_previous && !FcConfigSetCurrent(empty)) {
        FcConfigDestroy(m_previous);
        m_previous = nullptr;
    }
}

FaceLoadingWithoutMatch::~FaceLoadingWithoutMatch()
{
    if (!m_previous)
        return;
    FcConfigSetCurrent(m_previous);
    FcConfigDestroy(m_previous);
}
