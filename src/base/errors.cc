#include "base/errors.h"

#include "base/message.h"

ErrorGeneric::ErrorGeneric(const char *text) : message_(text ? text : "") {}

ErrorGeneric::ErrorGeneric(const char *format, const std::string &argument)
    : message_(formatMessage(format, argument)) {}

ErrorGeneric::ErrorGeneric(const char *format, const char *argument)
    : message_(formatMessage(format, argument ? argument : "")) {}

const char *ErrorSyntaxIgnored::what() const {
  return _("bad file format - command ignored");
}
const char *ErrorBadFileFormat::what() const { return _("bad file format"); }
const char *ErrorGZIO::what() const { return _("gz I/O error"); }
const char *ErrorRange::what() const { return _("input out of range"); }
const char *ErrorSeek::what() const { return _("seek error"); }
const char *ErrorScreenTooSmall::what() const { return _("screen too small"); }
const char *ErrorBadNCurses::what() const {
  return _("your ncurses library is bad\nRefer to vok README file for solution");
}
const char *ErrorIORedirect::what() const {
  return _("input/output is redirected or piped");
}
