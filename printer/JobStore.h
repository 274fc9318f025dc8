#pragma once
// Where a print job lands: the job's user's own PostScript folder, written
// with that user's rights only, never through a link, and never seen half
// written. POSIX only, like the print server that runs the backend.

#include <string>
#include <sys/types.h>

namespace printer {

struct JobUser
{
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string home;
};

// Looks `name` up in the system's user database. Accounts below the first
// user's uid (root, daemon, lp...) and nobody have no documents of their
// own, and their homes are system folders: they are refused too.
bool findJobUser(const std::string& name, JobUser& user, std::string& error);

// Takes on the user's identity for good: the user's groups, group and user
// ids. Run as root this cannot be undone; run as the user already it changes
// nothing; run as anyone else it fails.
bool becomeJobUser(const JobUser& user, std::string& error);

// Copies everything that `input` holds into HOME/PostScript/NAME, NAME from
// jobFileName(); the folder is made (mode 0700) when missing. Neither the
// folder nor the file is reached through a link, an existing file is never
// replaced, and the file (mode 0600) appears under its name only once it is
// whole on the disk. On failure nothing is left and `error` says why.
bool storeJob(int input, const JobUser& user, const std::string& title, const std::string& jobId,
              std::string& storedName, std::string& error);

} // namespace printer
