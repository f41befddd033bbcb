// Every test process works in a prefix of its own: a fresh temporary folder
// named in WINCOMPAT_PREFIX before any test runs, removed at exit.
#pragma once

#include <string>

const std::string& TestPrefixRoot();

// A fresh empty folder under the test's temporary area, for files of one test.
std::string MakeTestFolder(const std::string& name);
