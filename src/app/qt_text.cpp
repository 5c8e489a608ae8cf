#include "app/qt_text.h"

#include "base/gbk.h"

namespace qinghe::app {

QString to_qstring(const Text& gbk) {
    QString s = QString::fromStdString(gbk_to_utf8(gbk));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

namespace {

Text encode_lossy(const QString& s) {
    Text whole;
    if (utf8_to_gbk(s.toStdString(), whole)) return whole;
    // Rare: convert one character (or surrogate pair) at a time.
    Text out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        qsizetype n = (s[i].isHighSurrogate() && i + 1 < s.size()) ? 2 : 1;
        Text piece;
        out += utf8_to_gbk(s.mid(i, n).toStdString(), piece) ? piece : Text("?");
        i += n - 1;
    }
    return out;
}

}  // namespace

Text to_text(const QString& s) {
    QString t = s;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar(u'\r'), QChar(u'\n'));
    t.replace(QChar::ParagraphSeparator, QChar(u'\n'));
    t.replace(QChar::LineSeparator, QChar(u'\n'));
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    // The core's texts never hold a zero byte.
    t.remove(QChar(u'\0'));
    return encode_lossy(t);
}

bool path_to_text(const QString& path, Text& out) { return utf8_to_gbk(path.toStdString(), out); }

}  // namespace qinghe::app
