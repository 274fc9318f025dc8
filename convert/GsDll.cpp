#include "convert/GsDll.h"

#include "convert/ProgressProbe.h"
#include "convert/WmUser.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <ghostscript/iapi.h>
#include <ghostscript/ierrors.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct MediaRect
{
    bool set = false;
    int32_t width = 0;
    int32_t height = 0;
};

// What one run needs inside the interpreter's stdio callbacks.
struct Run
{
    GsdllCallback callback = nullptr;
    QPointer<QObject> window;
    ProgressProbe probe;
    int sent = -1;
    bool finished = false; // 100 was sent: no more reports
    std::chrono::steady_clock::time_point lastLook;
    int readsWithoutOutput = 0;
    std::vector<char> scratch;
};

MediaRect g_nextMedia;      // applies to the next run only
void* g_instance = nullptr; // kept from a successful gsdll_init to gsdll_exit
// The stdio of g_instance, also when it shuts down: closing the output device
// can still print.
std::unique_ptr<Run> g_run;

// A run of the interpreter reads stdin once per page (the showpage prompt).
// A document that keeps reading stdin would loop for ever on the line feeds we
// hand out; after this many reads with no output in between it sees the end.
constexpr int MaxReadsWithoutOutput = 64;

// Without -dNOPAUSE the interpreter prompts and reads stdin after each page:
// that read is where progress is measured.
constexpr char PagePrompt[] = ">>showpage, press <return> to continue<<\n";

// Output can come in many small pieces; the descriptor scan is not free.
constexpr auto LookInterval = std::chrono::milliseconds(50);

void sendProgress(Run& run, int percent, bool evenIfSame)
{
    if (!run.window || run.finished || (!evenIfSame && percent == run.sent))
        return;
    run.finished = percent == 100;
    run.sent = percent;
    WmUserEvent event(percent, 0);
    QCoreApplication::sendEvent(run.window.data(), &event);
}

void lookAtProgress(Run& run, bool page)
{
    if (!run.window || run.finished)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!page && now - run.lastLook < LookInterval)
        return;
    run.lastLook = now;
    // 100 is kept for the end: the last bytes are read before the last page
    // is written.
    sendProgress(run, std::min(run.probe.percent(), 99), page);
}

int toCallback(Run& run, int32_t message, char* str, int len)
{
    if (!run.callback || len < 0)
        return message == 1 ? 0 : len;
    return run.callback(message, str, uint32_t(len));
}

int GSDLLCALL stdinHandler(void* handle, char* buf, int len)
{
    Run& run = *static_cast<Run*>(handle);
    lookAtProgress(run, true);
    if (len <= 0 || ++run.readsWithoutOutput > MaxReadsWithoutOutput)
        return 0;
    // A callback that answers without filling the buffer hands over line feeds.
    std::memset(buf, '\n', size_t(len));
    const int answer = toCallback(run, 1, buf, len);
    return answer < 0 ? -1 : std::min(answer, len);
}

int GSDLLCALL outputHandler(void* handle, const char* str, int len)
{
    Run& run = *static_cast<Run*>(handle);
    run.readsWithoutOutput = 0;
    lookAtProgress(run, false);
    // The page prompt is ours, not the document's: it only paces the
    // progress probe (see stdinHandler). It flushes whatever the document
    // printed before it without a flush of its own, so it can end a longer block.
    constexpr int promptLength = int(sizeof PagePrompt - 1);
    int shown = len;
    if (len >= promptLength &&
        std::memcmp(str + len - promptLength, PagePrompt, size_t(promptLength)) == 0) {
        shown = len - promptLength;
        if (shown == 0)
            return len;
    }
    // The callback gets a buffer of its own: the interpreter's is read-only.
    run.scratch.assign(str, str + std::max(shown, 0));
    run.scratch.push_back('\0');
    toCallback(run, 2, run.scratch.data(), shown);
    // The interpreter stops writing when told less was taken; it always all is.
    return len;
}

int shutDown()
{
    int code = 0;
    if (g_instance) {
        code = gsapi_exit(g_instance);
        gsapi_delete_instance(g_instance);
        g_instance = nullptr;
    }
    g_run.reset();
    return code;
}

// The first argument that makes the interpreter run something: code, a file,
// standard input or an argument file.
size_t firstRunningArgument(const std::vector<std::string>& args)
{
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-' || a[1] == 'c' || a[1] == 'f' || a[1] == '-' ||
            a[1] == '+' || a[1] == '@' || a[1] == '_')
            return i;
        if (a == "-o" || a == "-I")
            ++i; // its value is the next argument
    }
    return args.size();
}

} // namespace

std::vector<std::string> withMediaArguments(std::vector<std::string> args, int32_t width,
                                            int32_t height)
{
    if (args.empty())
        args.emplace_back();
    // Fixed media with fit: every page gets this size, and a page made for
    // another size is scaled and centred on it. Orientation 0 keeps the fit
    // from turning pages sideways. All of it must come before the first code
    // or file runs, since that opens the device.
    const std::vector<std::string> fixed{"-dDEVICEWIDTHPOINTS=" + std::to_string(width),
                                         "-dDEVICEHEIGHTPOINTS=" + std::to_string(height),
                                         "-dFIXEDMEDIA",
                                         "-dPSFitPage",
                                         "-dPDFFitPage",
                                         "-c",
                                         "<< /Orientation 0 >> setpagedevice",
                                         "-f"};
    const size_t at = firstRunningArgument(args);
    args.insert(args.begin() + std::ptrdiff_t(at), fixed.begin(), fixed.end());
    return args;
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

int32_t gsdll_init(GsdllCallback callback, QObject* hwnd, int32_t argc, char** argv)
{
    // An earlier run that was never shut down goes first: one instance at a time.
    shutDown();

    const MediaRect media = g_nextMedia;
    g_nextMedia = MediaRect();

    std::vector<std::string> own;
    for (int32_t i = 0; i < argc && argv; ++i)
        own.emplace_back(argv[i] ? argv[i] : "");
    if (own.empty())
        own.emplace_back();
    if (media.set)
        own = withMediaArguments(own, media.width, media.height);
    std::vector<char*> ownArgv;
    for (std::string& arg : own)
        ownArgv.push_back(arg.data());
    ownArgv.push_back(nullptr);

    auto run = std::make_unique<Run>();
    run->callback = callback;
    run->window = hwnd;
    run->probe = ProgressProbe(ProgressProbe::sourcesOf(argc, argv));

    void* instance = nullptr; // the library reads it before it writes it
    int code = gsapi_new_instance(&instance, run.get());
    if (code < 0)
        return code;
    g_instance = instance;
    g_run = std::move(run);
    gsapi_set_stdio(instance, stdinHandler, outputHandler, outputHandler);
    gsapi_set_arg_encoding(instance, GS_ARG_ENCODING_UTF8);

    sendProgress(*g_run, 0, true);
    code = gsapi_init_with_args(instance, int(ownArgv.size() - 1), ownArgv.data());
    if (code == gs_error_Info) {
        // A usage text was printed; this interpreter must not be exited.
        gsapi_delete_instance(g_instance);
        g_instance = nullptr;
        g_run.reset();
        return 0;
    }
    if (code == gs_error_Quit)
        code = 0; // the end that -dBATCH asks for
    if (code != 0) {
        // Shut down here: the caller skips gsdll_exit after a failure, and the
        // next run needs a clean library.
        shutDown();
        return code;
    }
    // The output file is complete only once the interpreter shuts down.
    sendProgress(*g_run, 100, true);
    return 0;
}

int32_t gsdll_exit()
{
    return shutDown();
}
