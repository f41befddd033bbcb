// Which folders an install may go into. The same rule serves the wizard's
// install button and the silent install, so neither mode can be led into a
// folder the other would refuse.
#pragma once

#include <string>

enum class InstallFolderVerdict {
    Acceptable,
    NotOnDrive,        // not "X:\...": relative, UNC, device or drive-relative
    BadComponent,      // ".", "..", an empty or a blank name, or a character Windows refuses
    TooLong,           // some record or moved-aside name would not fit its MAX_PATH buffer
    SystemFolder,      // a drive root, the Windows folder or a program-files folder itself
    IsFile,            // an existing file, not a folder
    IsLink,            // a symbolic link or junction
    NoParentFolder,    // missing, and so is the folder it would be made in
};

// Looks at the text and at what the file system holds for it. A folder that
// does not exist yet is acceptable when its parent folder exists; the install
// creates it.
InstallFolderVerdict CheckInstallFolder(const std::wstring& path);

// Whether two folder texts name the same folder as Windows compares them:
// without regard to letter case, trailing separators ignored. Empty texts
// name no folder.
bool IsSameFolder(const std::wstring& a, const std::wstring& b);

// A short English reason for a diagnostic line.
const char* DescribeInstallFolderVerdict(InstallFolderVerdict verdict);
