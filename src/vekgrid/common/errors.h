#pragma once
#include <stdexcept>
#include <string>

namespace vekgrid {

// Errors that an operation lets through to its caller. Most control operations swallow them
// statement by statement (see Ignore_Errors); the few that stop show or rethrow them.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Subscript_Out_Of_Range : public Error {
  public:
    Subscript_Out_Of_Range() : Error("Subscript out of range") {}
    explicit Subscript_Out_Of_Range(const std::string& what) : Error(what) {}
};

class Type_Mismatch : public Error {
  public:
    Type_Mismatch() : Error("Type mismatch") {}
};

class Invalid_Argument : public Error {
  public:
    explicit Invalid_Argument(const std::string& what) : Error(what) {}
};

// Runs one statement and swallows any error it raises, so a sequence of statements goes on
// past a failing one.
template <class Statement>
void Ignore_Errors(Statement&& statement) noexcept {
    try {
        statement();
    } catch (...) {
    }
}

}  // namespace vekgrid
