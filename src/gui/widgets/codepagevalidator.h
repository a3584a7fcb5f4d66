#pragma once

#include "files/codepage.h"

#include <QValidator>

#include <functional>
#include <utility>

namespace Puckdex {

// Lets into a name box only what the game's files can hold: a character
// outside the code page, typed or pasted, is left out and the rest kept;
// leftOut(characters) tells the user which went.
class CodePageValidator : public QValidator
{
public:
    CodePageValidator(QObject *parent, std::function<void(const QString &)> leftOut)
        : QValidator(parent), m_leftOut(std::move(leftOut))
    {
    }

    State validate(QString &input, int &position) const override
    {
        QString dropped;
        for (qsizetype at = CodePage::firstUnencodable(input); at >= 0;
             at = CodePage::firstUnencodable(input)) {
            // A character beyond the first plane stands in two halves.
            const qsizetype length = input.at(at).isHighSurrogate() ? 2 : 1;
            dropped += input.mid(at, length);
            input.remove(at, length);
            if (position > at)
                position -= int(std::min<qsizetype>(length, position - at));
        }
        if (!dropped.isEmpty() && m_leftOut)
            m_leftOut(dropped);
        return Acceptable;
    }

private:
    std::function<void(const QString &)> m_leftOut;
};

} // namespace Puckdex
