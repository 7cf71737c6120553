// The error class tree. Every failure is thrown as one of these and caught
// once, in main, which prints "vok: " and what() and exits with exitCode().
#ifndef VOK_BASE_ERRORS_H
#define VOK_BASE_ERRORS_H

#include <string>

// Exit statuses of the program.
enum ExitStatus {
  kExitOk = 0,
  kExitNoMemory = 1,
  kExitFile = 2,
  kExitSyntax = 3,
  kExitCommandLine = 4,
  kExitBadCurses = 5,
  kExitRedirected = 6,
  kExitOther = 7,
  kExitScreenTooSmall = 8,
};

class ErrorBase {
 public:
  // The message; valid as long as the object.
  virtual const char *what() const = 0;
  virtual int exitCode() const = 0;
  virtual ~ErrorBase() = default;
};

// Errors whose message is composed when they are made. Format texts are
// looked up in the catalogue by the caller.
class ErrorGeneric : public ErrorBase {
 public:
  explicit ErrorGeneric(const char *text);
  ErrorGeneric(const char *format, const std::string &argument);
  ErrorGeneric(const char *format, const char *argument);
  const char *what() const override { return message_.c_str(); }
  int exitCode() const override { return kExitOther; }

 private:
  std::string message_;
};

// A failure whose message is already on standard error (a scan reporter
// wrote it): only the exit status is left to give.
class ErrorReported : public ErrorBase {
 public:
  explicit ErrorReported(int status) : status_(status) {}
  const char *what() const override { return ""; }
  int exitCode() const override { return status_; }

 private:
  int status_;
};

#define VOK_GENERIC_ERROR(Name, status)                                    \
  class Name : public ErrorGeneric {                                       \
   public:                                                                 \
    using ErrorGeneric::ErrorGeneric;                                      \
    int exitCode() const override { return status; }                       \
  }

VOK_GENERIC_ERROR(ErrorGenericFile, kExitFile);
VOK_GENERIC_ERROR(ErrorGenericSyntax, kExitSyntax);
VOK_GENERIC_ERROR(ErrorGenericCommandLine, kExitCommandLine);
#undef VOK_GENERIC_ERROR

// Errors with one fixed message each, looked up at every call of what().
#define VOK_FIXED_ERROR(Name, status)                                      \
  class Name : public ErrorBase {                                          \
   public:                                                                 \
    const char *what() const override;                                     \
    int exitCode() const override { return status; }                       \
  }

VOK_FIXED_ERROR(ErrorSyntaxIgnored, kExitSyntax);
VOK_FIXED_ERROR(ErrorBadFileFormat, kExitSyntax);
VOK_FIXED_ERROR(ErrorGZIO, kExitFile);
VOK_FIXED_ERROR(ErrorRange, kExitSyntax);
VOK_FIXED_ERROR(ErrorSeek, kExitSyntax);
VOK_FIXED_ERROR(ErrorScreenTooSmall, kExitScreenTooSmall);
VOK_FIXED_ERROR(ErrorBadNCurses, kExitBadCurses);
VOK_FIXED_ERROR(ErrorIORedirect, kExitRedirected);
#undef VOK_FIXED_ERROR

#endif
