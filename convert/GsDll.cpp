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

MediaRect g_nextMedia;   // applies to the next run only
std::string g_nextTitle; // so does this
// A successful run waits here for gsdll_exit.
std::unique_ptr<InterpreterProcess> g_waiting;
std::vector<int> g_lastPages;
int g_lastFailedSource = -1;

int32_t shutDown()
{
    if (!g_waiting)
        return 0;
    const int32_t code = g_waiting->finish();
    g_waiting.reset();
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
        g_nextMedia = MediaRect();
        return -1;
    }
    g_nextMedia = {true, int32_t(width), int32_t(height)};
    return 0;
}

void gsdll_setpdftitle(const char* title)
{
    g_nextTitle = title ? title : "";
}

int32_t gsdll_init(GsdllCallback callback, QObject* hwnd, int32_t argc, char** argv)
{
    // An earlier run that was never shut down goes first: one at a time.
    shutDown();

    const MediaRect media = g_nextMedia;
    g_nextMedia = MediaRect();

    std::vector<std::string> args;
    for (int32_t i = 0; i < argc && argv; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    RunPlan plan = media.set ? planRun(args, media.width, media.height) : planRun(args);
    plan.title.swap(g_nextTitle);
    g_nextTitle.clear();

    auto run = std::make_unique<InterpreterProcess>(callback, hwnd);
    const int32_t code = run->run(plan);
    g_lastPages = run->pages();
    g_lastFailedSource = code == 0 ? -1 : run->failedSource();
    if (code == 0)
        g_waiting = std::move(run);
    return code;
}

int32_t gsdll_exit()
{
    return shutDown();
}

void gsdll_prepare()
{
    InterpreterProcess::keepOneReady();
}

void gsdll_stop()
{
    InterpreterProcess::requestStop();
}

void gsdll_setmemorylimit(uint32_t mebibytes)
{
    InterpreterProcess::setMemoryLimit(mebibytes);
}

int gsdll_failedsource()
{
    return g_lastFailedSource;
}

std::vector<int> gsdll_sourcepages()
{
    return g_lastPages;
}

} // namespace convert
