#pragma once
// The folders the setup programs install into. Machine-wide places sit under
// $SETWELL_SYSTEM_ROOT when it is set, per-user ones follow HOME and the XDG
// variables. Every folder returned ends in '/'.

#include <QString>

namespace platform {

// $SETWELL_SYSTEM_ROOT without a trailing '/', or empty.
QString systemRoot();

// True where this account may write the machine registry: the setup
// programs then install for the whole machine.
bool hasMachineWideRights();

// Default base of machine-wide installations: the machine registry's
// "ProgramFilesDir" when set, else <root>/opt/.
QString programFilesFolder();

// Per-user application data: $XDG_DATA_HOME, else ~/.local/share.
QString appDataFolder();

// Per-user configuration: $XDG_CONFIG_HOME, else ~/.config; ends in '/'.
// Empty when no home folder is known.
QString configHomeFolder();

// The user's menu folder, where applications' entries go:
// <data home>/applications/. Empty when no home folder is known.
QString programsMenuFolder();

// Machine-wide folder for shared setup programs: <root>/usr/local/lib/setwell/.
QString windowsFolder();

// Adds a '/' when missing (not to an empty text).
QString withTrailingSlash(const QString& folder);

} // namespace platform
