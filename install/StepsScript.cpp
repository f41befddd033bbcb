#include "install/StepsScript.h"

CStepsScript::CStepsScript() : options_(GetInstallOptions()) {}
