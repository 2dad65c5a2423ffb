#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

// One row per case of an enumeration: the value it is stored under, the title shown for it
// and, where it has one, the name of its symbol.
template <typename Enum> struct EnumRow
{
    Enum value;
    const char16_t *storedValue;
    const char16_t *title;
    const char16_t *symbol = u"";
};

// The rows of an enumeration in its display order, and the look-ups every enumeration needs:
// stored value, case from stored value (exact and case-sensitive), title and symbol. An enumeration
// writes its table once instead of a switch per property.
//
//     inline constexpr EnumTable<Appearance, 3> table { {
//         { { Appearance::System, u"system", u"Automatic" }, ... } } };
template <typename Enum, std::size_t N> class EnumTable
{
public:
    constexpr explicit EnumTable(const std::array<EnumRow<Enum>, N> &rows)
        : m_rows(rows)
    {
    }

    // Every case, in table order.
    constexpr std::array<Enum, N> cases() const
    {
        std::array<Enum, N> values {};
        for (std::size_t i = 0; i < N; ++i)
            values[i] = m_rows[i].value;
        return values;
    }

    // The case's place in the table, from 0.
    constexpr std::size_t indexOf(Enum value) const { return std::size_t(&row(value) - m_rows.data()); }

    QString storedValue(Enum value) const { return QString::fromUtf16(row(value).storedValue); }
    QString title(Enum value) const { return QString::fromUtf16(row(value).title); }
    QString symbol(Enum value) const { return QString::fromUtf16(row(value).symbol); }

    std::optional<Enum> fromStoredValue(QStringView raw) const
    {
        for (const EnumRow<Enum> &r : m_rows) {
            if (raw == QStringView(r.storedValue))
                return r.value;
        }
        return std::nullopt;
    }

    // The case whose title matches, ignoring case.
    std::optional<Enum> fromTitle(QStringView title) const
    {
        for (const EnumRow<Enum> &r : m_rows) {
            if (title.compare(QStringView(r.title), Qt::CaseInsensitive) == 0)
                return r.value;
        }
        return std::nullopt;
    }

private:
    constexpr const EnumRow<Enum> &row(Enum value) const
    {
        for (const EnumRow<Enum> &r : m_rows) {
            if (r.value == value)
                return r;
        }
        // A case missing from its table is a programming error; the first row stands in.
        return m_rows[0];
    }

    std::array<EnumRow<Enum>, N> m_rows;
};
