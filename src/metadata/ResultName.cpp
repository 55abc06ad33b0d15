#include "metadata/MetadataEditor.h"

namespace Quillmark {

std::string ResultName(HRESULT Result)
{
  switch (Result) {
  case S_OK:
    return "success";
  case E_BUFFER_TOO_SMALL:
    return "buffer too small";
  case E_NOT_FOUND:
    return "not found";
  case E_INVALID_REQUEST:
    return "invalid request";
  case E_INVALID_STATE:
    return "no file is open";
  case E_INVALID_ARGUMENT:
    return "invalid argument";
  case E_FILE_LOCKED:
    return "the file is in use by another program";
  case E_CORRUPT_HEADER:
    return "the file's header is damaged or not ASF";
  case E_IO_FAILURE:
    return "input/output error";
  case E_OUT_OF_MEMORY:
    return "out of memory";
  case E_FILE_CHANGED:
    return "the file was changed by another program";
  case E_DISK_FULL:
    return "the disk is full";
  case E_FILE_HARD_LINKED:
    return "the file has other hard links, and its header can grow only by rewriting the file";
  case E_SIDE_FILE_FOUND:
    return "a side file of an interrupted save was found";
  case E_ACCESS_DENIED:
    return "permission denied";
  case E_OWNER_NOT_KEPT:
    return "the file must be rewritten to grow, and the copy could not keep its owner";
  default:
    return "unknown failure";
  }
}

} // namespace Quillmark
