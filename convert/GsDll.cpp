#include "convert/GsDll.h"

#include "convert/InterpreterProcess.h"
#include "convert/InterpreterProtocol.h"
#include "convert/RunPlan.h"

#include <memory>
#include <string>

namespace convert {

static_assert(GsdllStopped == interpreter::Stopped);
static_assert(GsdllCrashed == interpreter::Crashed);
static_assert(GsdllOutOfMemory == interpreter::OutOfMemory);

namespace {

struct MediaRect
{
    bool set = false;
    int32_t width = 0;
    int32_t height = 0;
};

// The entry points are free functions without a handle, as the window
// calls them: what lasts from one call to the next lives in this one object
// behind them.
struct Component
{
    InterpreterChildren children; // first made, last gone
    MediaRect nextMedia;          // applies to the next run only
    std::string nextTitle;        // so does this
    // A successful run waits here for gsdll_exit.
    std::unique_ptr<InterpreterProcess> waiting;
    std::vector<int> lastPages;
    int lastFailedSource = -1;
};

Component& component()
{
    static Component instance;
    return instance;
}

int32_t shutDown()
{
    Component& c = component();
    if (!c.waiting)
        return 0;
    const int32_t code = c.waiting->finish();
    c.waiting.reset();
    return code;
}

} // namespace

int32_t gsdllSendOutput(GsdllCallback callback, const char* bytes, size_t size,
                        std::vector<char>& scratch)
{
    if (!callback)
        return 0;
    scratch.assign(bytes, bytes + size);
    scratch.push_back('\0');
    return callback(GsdllOutput, scratch.data(), uint32_t(size));
}

int32_t gsdll_setpdfmediarect(int32_t kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    const int64_t width = int64_t(x1) - x0;
    const int64_t height = int64_t(y1) - y0;
    if (kind != 1 || width <= 0 || height <= 0 || width > 14400000 || height > 14400000) {
        component().nextMedia = MediaRect();
        return -1;
    }
    component().nextMedia = {true, int32_t(width), int32_t(height)};
    return 0;
}

void gsdll_setpdftitle(const char* title)
{
    component().nextTitle = title ? title : "";
}

int32_t gsdll_init(GsdllCallback callback, QObject* hwnd, int32_t argc, char** argv)
{
    // An earlier run that was never shut down goes first: one at a time.
    shutDown();

    const MediaRect media = component().nextMedia;
    component().nextMedia = MediaRect();

    std::vector<std::string> args;
    for (int32_t i = 0; i < argc && argv; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    RunPlan plan = media.set ? planRun(args, media.width, media.height) : planRun(args);
    plan.title.swap(component().nextTitle);
    component().nextTitle.clear();

    auto run = std::make_unique<InterpreterProcess>(callback, hwnd, component().children);
    const int32_t code = run->run(plan);
    component().lastPages = run->pages();
    component().lastFailedSource = code == 0 ? -1 : run->failedSource();
    if (code == 0)
        component().waiting = std::move(run);
    return code;
}

int32_t gsdll_exit()
{
    return shutDown();
}

void gsdll_prepare(bool warmUp)
{
    component().children.keepOneReady(warmUp);
}

void gsdll_stop()
{
    InterpreterProcess::requestStop();
}

void gsdll_setmemorylimit(uint32_t mebibytes)
{
    component().children.memoryLimitMiB = mebibytes;
}

uint32_t gsdll_memorylimit()
{
    return uint32_t(component().children.memoryLimitMiB);
}

int gsdll_failedsource()
{
    return component().lastFailedSource;
}

std::vector<int> gsdll_sourcepages()
{
    return component().lastPages;
}

} // namespace convert
