#pragma once
// The one error type of the header engine. Parsing, rendering and file access
// throw it; the editor turns it into the result code it carries.
#include "metadata/MetadataEditor.h"

#include <stdexcept>
#include <string>

namespace Quillmark::Asf {

class EAsfError : public std::runtime_error {
public:
  EAsfError(HRESULT Result, const std::string& Message) : std::runtime_error(Message), FResult(Result) {}
  HRESULT Result() const { return FResult; }

private:
  HRESULT FResult;
};

// Throws E_CORRUPT_HEADER with the message unless the condition holds.
inline void Require(bool Condition, const char* Message)
{
  if (!Condition) {
    throw EAsfError(E_CORRUPT_HEADER, Message);
  }
}

} // namespace Quillmark::Asf
