#include "convert/Interpreter.h"

#include <ghostscript/iapi.h>
#include <ghostscript/ierrors.h>

#include <cstdio>

namespace convert {

static_assert(Interpreter::Quit == gs_error_Quit);
static_assert(Interpreter::Info == gs_error_Info);

std::string libraryRevision()
{
    gsapi_revision_t revision{};
    if (gsapi_revision(&revision, sizeof revision) != 0 || !revision.product)
        return "Ghostscript";
    // 10000 is 10.00.0.
    const long r = revision.revision;
    char version[32];
    std::snprintf(version, sizeof version, "%ld.%02ld.%ld", r / 1000, (r / 10) % 100, r % 10);
    return std::string(revision.product) + " " + version;
}

Interpreter::Interpreter(InterpreterIo& io) : m_io(io)
{
    void* instance = nullptr; // the library reads it before it writes it
    if (gsapi_new_instance(&instance, this) < 0)
        return;
    m_instance = instance;
    gsapi_set_stdio(m_instance, readHandler, writeHandler, writeHandler);
    gsapi_set_arg_encoding(m_instance, GS_ARG_ENCODING_UTF8);
}

Interpreter::~Interpreter()
{
    shutDown();
    if (m_instance)
        gsapi_delete_instance(m_instance);
}

int Interpreter::start(const std::vector<std::string>& args)
{
    if (!m_instance)
        return gs_error_Fatal;
    std::vector<std::string> own = args;
    if (own.empty())
        own.emplace_back();
    std::vector<char*> argv;
    for (std::string& a : own)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int code = gsapi_init_with_args(m_instance, int(own.size()), argv.data());
    // After a usage text the interpreter must not be exited.
    m_started = code != gs_error_Info;
    return code;
}

int Interpreter::runFile(const std::string& name)
{
    int exitCode = 0;
    return m_instance ? gsapi_run_file(m_instance, name.c_str(), 0, &exitCode) : gs_error_Fatal;
}

int Interpreter::runCode(const std::string& code)
{
    int exitCode = 0;
    return m_instance ? gsapi_run_string_with_length(m_instance, code.c_str(),
                                                     unsigned(code.size()), 0, &exitCode)
                      : gs_error_Fatal;
}

int Interpreter::pageCount()
{
    int count = -1;
    if (!m_instance || gsapi_get_param(m_instance, "PageCount", &count, gs_spt_int) < 0)
        return -1;
    return count;
}

int Interpreter::shutDown()
{
    if (!m_instance || !m_started)
        return 0;
    m_started = false;
    return gsapi_exit(m_instance);
}

int GSDLLCALL Interpreter::readHandler(void* self, char* buf, int len)
{
    return static_cast<Interpreter*>(self)->m_io.readInput(buf, len);
}

int GSDLLCALL Interpreter::writeHandler(void* self, const char* str, int len)
{
    if (len >= 0)
        static_cast<Interpreter*>(self)->m_io.writeOutput(str, len);
    // The interpreter stops writing when told less was taken; it always all is.
    return len;
}

} // namespace convert
