#pragma once

#include <QString>
#include <QVariantList>

namespace bw {

// Fills the placeholders of a message text, the way translated texts write them:
//
//   %[index:][-][width][.precision]type
//
//   type       s  text; precision is the most characters shown
//              d  signed integer; precision is the fewest digits (zero-padded)
//              u  unsigned integer (a negative one shown as its two's complement)
//              x  hexadecimal integer in capitals; precision as for d
//   index      0-based argument number; later placeholders without one go on from it
//   width      the least width, padded with blanks on the left, or on the right after '-'
//   width and precision may be '*', taking the value from the next argument
//   %%         one percent sign
//
// The type letter may be a capital. A text that does not fit its arguments is
// never an error: a placeholder without an argument, with an argument of the
// wrong kind, of an unknown type or cut short by the end of the text stays as
// written, and the rest of the text is still filled. Integers, QString, QChar
// and anything else that converts to text fill %s; QByteArray is taken as
// Windows-1251 bytes. Only integer arguments fill %d, %u and %x.
QString format(const QString& fmt, const QVariantList& args);

} // namespace bw
