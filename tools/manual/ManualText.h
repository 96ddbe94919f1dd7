#pragma once
// The manual's text as it is laid out: Japanese sentences broken over lines in the HTML
// source, and the checks that keep stray spaces out of the printed pages.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace manual {

// Kana, kanji, and the Japanese punctuation and full-width forms.
bool isCjk(char32_t c);

// HTML turns every line break into a space, which Japanese text does not have: a break
// (with the blanks around it) between two Japanese characters is removed, also when tags
// stand between them ("の\n<b>連番"). Breaks next to other text stay spaces. Ideographic
// spaces are kept as such (HTML would print them half-width).
QString joinJapaneseLines(const QString &html);

// Every half-width (or no-break) space that has a Japanese character on both sides, with a
// few characters around it to find it by; empty when there is none.
QStringList spacesBetweenJapanese(const QString &text);

// Qt writes the time of writing into the PDF: it is replaced by `date`, keeping every length
// (the cross-reference table counts bytes), so the same pages give the same bytes. False
// when no date was found (the writer changed), so the build says so instead of drifting.
bool makeReproducible(QByteArray &pdf, const QDateTime &date);

} // namespace manual
