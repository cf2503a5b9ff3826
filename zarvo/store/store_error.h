// The one exception type of the object store.
#pragma once

#include <stdexcept>
#include <string>

#include "zarvo/platform/error.h"

namespace zarvo::store {

class StoreError : public ::zarvo::StoreError {
 public:
  enum class Code {
    // The file could not be opened or created (permissions, missing folder, I/O).
    cannotOpen,
    // The file is not a database of this application (another program's SQLite file, or not SQLite).
    notOurs,
    // The file was written by a newer version of this application; it is left untouched.
    newerVersion,
    // A save met a row that another context or process changed or removed since it was read.
    // Nothing of that save was written.
    conflict,
    // A fetch or a save failed in the database (a closed or corrupt file, a full disk, ...).
    io,
    // A predicate format, a key or an entity name that the model does not know (a programming error).
    invalidRequest,
  };

  StoreError(Code code, std::string message) : ::zarvo::StoreError(message), code_(code) {}
  const char* domain() const noexcept override { return "records"; }

  Code code() const noexcept { return code_; }
  // The human message (same as what()).
  std::string message() const { return what(); }

 private:
  Code code_;
};

}  // namespace zarvo::store
