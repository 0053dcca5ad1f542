#pragma once

#include <QString>

// How the program measures the texts the user types: the rules a save checks
// and an import applies alike, so they live beside the data.

// Characters as the user counts them: a pair of UTF-16 surrogates is one.
int charCount(const QString &text);
// The first n characters of text, never half of one.
QString leftChars(const QString &text, int n);
// Length of text once leading and trailing blanks are removed.
int trimmedLength(const QString &text);
// "Blank": nothing left once leading and trailing blanks are removed.
bool isBlank(const QString &text);
