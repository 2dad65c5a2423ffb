#pragma once

#include <QString>

// Why a file can't be imported. Its description is the sentence the import alert shows.
class BackupError final
{
public:
    enum class Kind {
        // The file could not be opened or read; the detail is the system's text.
        Unreadable,
        // Larger than any export this program reads.
        TooLarge,
        // From a format later than this program's; the detail is that version.
        NewerVersion,
        // An export of this format whose content doesn't decode; the detail names the place.
        Damaged,
        NotAnExport,
    };

    static BackupError unreadable(const QString &systemText) { return { Kind::Unreadable, systemText }; }
    static BackupError tooLarge() { return { Kind::TooLarge, {} }; }
    static BackupError newerVersion(qint64 version) { return { Kind::NewerVersion, QString::number(version) }; }
    static BackupError damaged(const QString &detail) { return { Kind::Damaged, detail }; }
    static BackupError notAnExport() { return { Kind::NotAnExport, {} }; }

    Kind kind() const { return m_kind; }
    QString detail() const { return m_detail; }
    QString description() const;

    friend bool operator==(const BackupError &, const BackupError &) = default;

private:
    BackupError(Kind kind, QString detail)
        : m_kind(kind)
        , m_detail(std::move(detail))
    {
    }

    Kind m_kind;
    QString m_detail;
};
