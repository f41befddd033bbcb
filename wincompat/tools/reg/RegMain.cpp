// wincompat-reg: reg.exe for the prefix named by WINCOMPAT_PREFIX.
#include "reg/RegCommands.h"

#include <stdio.h>

int main(int argc, char** argv) {
    regtool::RegArguments arguments;
    switch (regtool::ParseRegArguments(argc, argv, arguments)) {
        case regtool::ParseError::KeyName:
            return regtool::Fail("Invalid key name.");
        case regtool::ParseError::Syntax:
            fprintf(stderr, "ERROR: Invalid syntax.\nType \"REG %s /?\" for usage.\n",
                    regtool::OperationName(arguments.operation));
            return 1;
        case regtool::ParseError::None:
            break;
    }
    switch (arguments.operation) {
        case regtool::Operation::Add: return regtool::RunAdd(arguments);
        case regtool::Operation::Delete: return regtool::RunDelete(arguments);
        default: return regtool::RunQuery(arguments);
    }
}
