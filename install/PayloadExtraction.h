// Extracting the product's 7z archive into the install folder with 7-Zip's
// archive library, reporting the running percentage to the install task.
#pragma once

#include "app/StepFailure.h"
#include "install/ArchiveExtractCallback.h"

#include <string>

class CStepsScript;
class PayloadFile;

enum class ExtractResult : int {
    NoArchivePath = 8,
    NoOutputFolder = 9,
    NoArchiveHandler = 10,   // the library could not make a 7z handler
    CannotOpenArchive = 11,  // the archive file cannot be opened for reading
    OpenFailed = 12,         // not an archive, damaged or enciphered headers
    ExtractFailed = 13,      // the extraction itself failed or was stopped
    Succeeded = 14,
};

// Every item of the archive into outputFolder (a separator is appended when
// missing; missing folders are created). An item whose path would leave the folder stops the extraction
// (ExtractFailed) with an "Error:" line on standard output; symbolic links
// stored in the archive are written as plain files holding the link's text.
ExtractResult ExtractArchive(const std::wstring& archivePath, const std::wstring& outputFolder,
                             ExtractProgressFunction progress, void* context);

// The install step: the payload into installFolder (ending with a
// backslash), progress posted to the task's engine; fails unless Succeeded.
StepResult ExtractPayload(const PayloadFile& payload, const std::wstring& installFolder, CStepsScript* task);

// The progress function of ExtractPayload: context is the CInstallerComposer
// that receives "正在解压文件..." with the percentage truncated.
void OnExtractProgress(float percent, void* context);
