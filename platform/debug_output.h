#pragma once

#include <string>

#include "platform/export.h"

namespace qm {

// Writes one diagnostic text to the debug output, exactly as given (the libraries'
// "ERROR: ..." and "WARNING: ..." lines). On Windows this is OutputDebugStringA; elsewhere
// the text goes to stderr when QUILLMARK_DEBUG is set. Every live DebugCapture receives it.
QM_PLATFORM_API void DebugOutput(const char* text);

// Collects everything written to the debug output while it lives, in this process.
// Captures nest; each one sees the texts written during its own lifetime.
class QM_PLATFORM_API DebugCapture {
  public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Everything captured so far, concatenated.
    std::string Text() const;
    void Clear();

  private:
    friend void DebugOutput(const char*);
    void Append(const char* text);
    std::string text_;
};

}  // namespace qm
