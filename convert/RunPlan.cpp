#include "convert/RunPlan.h"

#include <cstdlib>

namespace convert {

namespace {

bool startsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
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

// The first file argument, after which each file runs on its own.
size_t firstFileArgument(const std::vector<std::string>& args)
{
    bool inCode = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
            inCode = startsWith(a, "-c");
            if (a == "-o" || a == "-I")
                ++i;
            else if (startsWith(a, "-f") && a.size() > 2)
                return i;
            else if (a == "--" || a == "-+" || a == "-@")
                return i;
            continue;
        }
        if (!inCode)
            return i;
    }
    return args.size();
}

// Below PDF 1.3 the PDF writer of this library crashes or never returns on
// images in CIE-based colour spaces (which every ICC-based image becomes in
// PostScript). Taking those spaces as the device spaces they are based on
// avoids both; the colours of ICC-based sRGB images come out the same.
bool needsDeviceColour(const std::vector<std::string>& args)
{
    const std::string key = "-dCompatibilityLevel=";
    bool below13 = false;
    for (const std::string& a : args) {
        if (startsWith(a, key.c_str()))
            below13 = std::strtod(a.c_str() + key.size(), nullptr) < 1.3;
    }
    return below13;
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

RunPlan planRun(const std::vector<std::string>& given, int32_t width, int32_t height)
{
    std::vector<std::string> args = given;
    if (args.empty())
        args.emplace_back();
    if (needsDeviceColour(args))
        args.insert(args.begin() + 1, "-dNOCIE");
    if (width > 0 && height > 0)
        args = withMediaArguments(args, width, height);

    RunPlan plan;
    const size_t first = firstFileArgument(args);
    for (size_t i = 0; i < first; ++i) {
        if (i > 0 && args[i] == "-dBATCH")
            continue;
        plan.startArgs.push_back(args[i]);
    }
    // After the first file, the vector is files and code in order. Switches
    // met there join the start (they cannot wait for their turn).
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-dBATCH" || a == "-f")
            continue;
        if (startsWith(a, "-f") && a.size() > 2) {
            plan.steps.push_back({true, a.substr(2)});
        } else if (a == "--" || a == "-+" || a == "-@") {
            // The next argument is a file; the rest are its arguments.
            if (i + 1 < args.size())
                plan.steps.push_back({true, args[i + 1]});
            break;
        } else if (startsWith(a, "-c")) {
            std::string code = a.substr(2);
            while (i + 1 < args.size() && !(args[i + 1].size() > 1 && args[i + 1][0] == '-'))
                code += " " + args[++i];
            plan.steps.push_back({false, code});
        } else if (a == "-") {
            plan.steps.push_back({true, "%stdin"});
        } else if (a.size() > 1 && a[0] == '-') {
            plan.startArgs.push_back(a);
            if ((a == "-o" || a == "-I") && i + 1 < args.size())
                plan.startArgs.push_back(args[++i]);
        } else {
            plan.steps.push_back({true, a});
        }
    }
    return plan;
}

std::vector<std::string> RunPlan::toStrings() const
{
    std::vector<std::string> out;
    out.push_back(std::to_string(startArgs.size()));
    out.insert(out.end(), startArgs.begin(), startArgs.end());
    if (!title.empty()) {
        out.emplace_back("-t");
        out.push_back(title);
    }
    for (const RunStep& step : steps) {
        out.push_back(step.isFile ? "-f" : "-c");
        out.push_back(step.text);
    }
    return out;
}

bool RunPlan::fromStrings(const std::vector<std::string>& strings, RunPlan& plan)
{
    if (strings.empty())
        return false;
    char* end = nullptr;
    const long count = std::strtol(strings[0].c_str(), &end, 10);
    const long rest = long(strings.size()) - 1 - count;
    if (*end || count < 0 || rest < 0 || rest % 2 != 0)
        return false;
    plan = RunPlan();
    plan.startArgs.assign(strings.begin() + 1, strings.begin() + 1 + count);
    for (size_t i = size_t(1 + count); i + 1 < strings.size(); i += 2) {
        if (strings[i] == "-t" && plan.steps.empty()) {
            plan.title = strings[i + 1];
            continue;
        }
        if (strings[i] != "-f" && strings[i] != "-c")
            return false;
        plan.steps.push_back({strings[i] == "-f", strings[i + 1]});
    }
    return true;
}

} // namespace convert
