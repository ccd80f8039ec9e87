#include "core/OmboError.h"

QString OmboError::fullMessage() const
{
    return QStringLiteral("Erreur N° ") + QString::number(m_number) + QStringLiteral(" - ")
           + m_description;
}

QString OmboError::numberText() const
{
    return QString::number(m_number);
}
