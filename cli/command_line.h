#pragma once
// kelvaro-cli as a function, so that tests drive the real command line without a process.

#include "registry/operations.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace kelvaro {

/// Exit statuses scripts rely on.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRefused = 1; ///< a message, refused input, or input that is not UTF-8
inline constexpr int kExitUsage = 2;

/// Runs `kelvaro-cli OPERATION [--upper] [--raw] [--crlf] [--] [TEXT]` (args without the program
/// name).
/// Reads stdin when TEXT is absent; writes the result to out and messages to err.
/// `resolver` replaces the platform resolver for host-to-ip (tests); null uses the platform's.
/// `outIsTerminal`: out is a terminal, so a result that does not end in a line break gets one, and
/// the prompt starts on a line of its own; otherwise the result is written byte for byte.
int CommandLineMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, const net::HostResolver* resolver = nullptr,
                    bool outIsTerminal = false);

} // namespace kelvaro
