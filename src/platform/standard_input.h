#pragma once
// Standard input as bytes: on Windows the C library reads it in text mode
// (CR LF turned into LF, Ctrl-Z ends it), which corrupts binary data piped
// into a tool. Elsewhere there is nothing to do.
namespace varnacle::platform {

// Switches standard input to binary mode. Call before the first read.
void makeStandardInputBinary();

}  // namespace varnacle::platform
