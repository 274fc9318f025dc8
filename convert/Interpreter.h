#pragma once
// The interpreter library, one instance per object: made with the object,
// shut down and released with it. Its standard input and output go to the
// object's InterpreterIo.

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

class InterpreterIo
{
public:
    virtual ~InterpreterIo() = default;
    // Input wanted: fill at most size bytes of buf; the bytes given, 0 at
    // the end of the input, or -1 for an error.
    virtual int readInput(char* buf, int size) = 0;
    // Output, from the interpreter's standard output or error.
    virtual void writeOutput(const char* str, int size) = 0;
};

// The library's product name and version, as "GPL Ghostscript 10.00.0".
std::string libraryRevision();

class Interpreter
{
public:
    explicit Interpreter(InterpreterIo& io);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Starts the interpreter with args (args[0] is the program-name slot).
    // Returns 0 or the library's code: gs_error_Info after a usage text,
    // gs_error_Quit when the switches ended it.
    int start(const std::vector<std::string>& args);
    int runFile(const std::string& name);
    int runCode(const std::string& code);
    // Pages the output device has written so far, or -1.
    int pageCount();
    // Shuts the interpreter down, which completes the output; once only.
    int shutDown();

    bool valid() const { return m_instance != nullptr; }
    static constexpr int Quit = -101; // gs_error_Quit
    static constexpr int Info = -110; // gs_error_Info

private:
    static int readHandler(void* self, char* buf, int len);
    static int writeHandler(void* self, const char* str, int len);

    InterpreterIo& m_io;
    void* m_instance = nullptr;
    bool m_started = false;
};

} // namespace convert
