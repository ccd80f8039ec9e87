#include "core/OmboError.h"

QString OmboError::messageComplet() const
{
    return QStringLiteral("Erreur N° ") + QString::number(m_number) + QStringLiteral(" - ")
           + m_description;
}

QString OmboError::messageNumero() const
{
    return QString::number(m_number);
}
