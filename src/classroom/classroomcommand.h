// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct CommandLine;

// quirvel --classroom: the class without a window. Prints the pupils' address, then every result
// as a line of JSON, each flushed at once, until SIGINT or SIGTERM; needs no display. 0 when
// stopped by a signal, 1 when the class could not start (the reason on standard error).
int runClassroomCommand(const CommandLine& line, int argc, char* argv[]);
