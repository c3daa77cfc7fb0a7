#pragma once

#include <string>
#include <vector>

// Starting other programs and facts about the user.
namespace Platform {

// Starts a program found on PATH (or named by its path) with its arguments
// and does not wait for it; false when it could not be started. The
// arguments go to the program as they are, never through a shell.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// Hands a web address, mail address or file to the desktop's opener
// (xdg-open); false when the opener could not be started.
bool OpenWithDesktop(const std::string& target);

// The login name of the user running the program; empty when unknown.
std::string UserName();

}  // namespace Platform
