#include "fonts/FaceLoading.h"

#include <QFontDatabase>
#include <QStringList>

#include <condition_variable>
#include <mutex>

#include <fontconfig/fontconfig.h>

namespace {

// A configuration without a single font or rule: a match against it ends at once, finding
// nothing, and Qt then keeps its own defaults. Built once and kept for the process.
FcConfig *configWithoutFonts()
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

// Which configuration is current, and who relies on it.
struct Loading
{
    std::mutex mutex;
    std::condition_variable changed;
    int drawing = 0;
    int measuring = 0;
    int waitingToMeasure = 0;
    FcConfig *programs = nullptr; // held while the empty configuration is current
};

Loading &loading()
{
    static Loading state;
    return state;
}

} // namespace

FaceLoadingWithoutMatch::FaceLoadingWithoutMatch()
{
    FcConfig *empty = configWithoutFonts();
    Loading &state = loading();
    std::unique_lock lock(state.mutex);
    state.changed.wait(lock, [&state] { return state.measuring == 0 && state.waitingToMeasure == 0; });
    if (state.drawing++ > 0 || !empty)
        return;
    // Holding the program's configuration keeps it alive while it is not the current one.
    state.programs = FcConfigReference(nullptr);
    if (state.programs && !FcConfigSetCurrent(empty)) {
        FcConfigDestroy(state.programs);
        state.programs = nullptr;
    }
}

FaceLoadingWithoutMatch::~FaceLoadingWithoutMatch()
{
    Loading &state = loading();
    const std::lock_guard lock(state.mutex);
    if (--state.drawing > 0)
        return;
    if (state.programs) {
        FcConfigSetCurrent(state.programs);
        FcConfigDestroy(state.programs);
        state.programs = nullptr;
    }
    state.changed.notify_all();
}

FaceLoadingWithMatch::FaceLoadingWithMatch()
{
    Loading &state = loading();
    std::unique_lock lock(state.mutex);
    ++state.waitingToMeasure;
    state.changed.wait(lock, [&state] { return state.drawing == 0; });
    --state.waitingToMeasure;
    ++state.measuring;
}

FaceLoadingWithMatch::~FaceLoadingWithMatch()
{
    Loading &state = loading();
    const std::lock_guard lock(state.mutex);
    if (--state.measuring == 0)
        state.changed.notify_all();
}
