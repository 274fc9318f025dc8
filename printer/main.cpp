// folivant: the print server's backend behind the queue "Folivant". Each job
// becomes one PostScript file in its user's ~/PostScript, which Folivant
// then converts. The server runs it as root (mode 0700); it keeps root's
// rights only to open the job and find the user.

#include "printer/JobFileName.h"
#include "printer/JobStore.h"

#include <cups/backend.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // Without arguments the server asks which devices we offer.
    if (argc == 1) {
        std::printf("direct folivant:/ \"Folivant\" \"Folivant (fichiers PostScript)\"\n");
        return CUPS_BACKEND_OK;
    }
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }
    const std::string jobId = argv[1];
    if (!printer::isJobId(jobId)) {
        std::fprintf(stderr, "ERROR: Not a job number: %s\n", argv[1]);
        return CUPS_BACKEND_FAILED;
    }
    // The one path opened as root: the server's own spool file, which only
    // root may read. Copies are the filters' business: one job, one file.
    int input = STDIN_FILENO;
    if (argc == 7) {
        input = ::open(argv[6], O_RDONLY | O_NOCTTY | O_CLOEXEC);
        if (input < 0) {
            std::fprintf(stderr, "ERROR: Cannot open the job's data: %s\n", std::strerror(errno));
            return CUPS_BACKEND_FAILED;
        }
    }
    std::string error;
    printer::JobUser user;
    if (!printer::findJobUser(argv[2], user, error) || !printer::becomeJobUser(user, error)) {
        std::fprintf(stderr, "ERROR: %s\n", error.c_str());
        return CUPS_BACKEND_FAILED;
    }
    std::string storedName;
    if (!printer::storeJob(input, user, argv[3], jobId, storedName, error)) {
        std::fprintf(stderr, "ERROR: %s\n", error.c_str());
        return CUPS_BACKEND_FAILED;
    }
    std::fprintf(stderr, "INFO: %s/PostScript/%s\n", user.home.c_str(), storedName.c_str());
    return CUPS_BACKEND_OK;
}
