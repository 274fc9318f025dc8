#pragma once
// The name a print job's file takes in the user's PostScript folder. Plain
// C++: the backend runs as root at first and links nothing it need not.

#include <string>

namespace printer {

// The longest title part of a name, in bytes: with "-JOBID.ps" and a
// " (N)" for a name already taken it stays well inside a file name's 255.
constexpr std::size_t maxTitleBytes = 200;

// The job's title as a file name's first part: valid UTF-8 (other bytes
// dropped), control characters and runs of blanks as one blank, "/" as "_",
// no leading dot or blank and no trailing blank, at most maxTitleBytes bytes
// cut between characters. A title with nothing left is "Document".
std::string cleanJobTitle(const std::string& title);

// "TITLE-JOBID.ps", or "TITLE-JOBID (N).ps" for the Nth try when a file of
// the plain name exists already (`attempt` 1 is the plain name).
std::string jobFileName(const std::string& cleanTitle, const std::string& jobId, int attempt);

// True when `jobId` is what a print server passes: 1 to 10 decimal digits.
bool isJobId(const std::string& jobId);

} // namespace printer
