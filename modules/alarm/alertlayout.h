#pragma once

#include <QList>
#include <QRect>
#include <QString>

// One entry of an editor layout file: a button (alert type, send rule) or a
// parameter box of an alert type.
struct CLayoutEntry
{
    QRect rect;       // left, top, right, bottom in panel pixels
    int id = 0;       // control id (an alert type's id is its parameters' ParentId)
    QString name;     // label text
    int type = 0;     // stored, not used by the panel
    bool on = false;  // status "1": the button starts on
    int parentId = 0; // parameter box: the alert type it belongs to
    QString paraName; // parameter box: the key stored on the server
    QString paraValue;
    bool password = false; // bPsw "true": the box hides its characters
};

// The three layout files under the install root's "AlertConfig" folder that
// describe the editor panel. Each file is read whole and read-only and parsed
// as XML (a file of several top-level entries is accepted); attribute names
// match exactly and in any order. A missing or damaged file gives what could
// be read (nothing, for a missing one) and a warning text.
namespace AlertLayout {

inline constexpr const char *Folder = "AlertConfig";
inline constexpr const char *AlertTypeFile = "AlertType.xml";
inline constexpr const char *SendRuleFile = "SendRule.xml";
inline constexpr const char *ParameterFile = "AlertTypeParam.xml";
// The alert type whose parameter boxes show when the editor opens.
inline constexpr int FirstAlertTypeId = 1990;
// Longest label kept, in code-page bytes.
inline constexpr int MaxNameBytes = 127;

struct Result
{
    QList<CLayoutEntry> entries;
    QString warning; // empty when the file was read and parsed whole
};

// Entries named element, in file order, from the text of a layout file in the
// code page.
Result Parse(const QByteArray &bytes, const QString &element);
// Reads file (a path) and parses it.
Result Read(const QString &file, const QString &element);
// The path of a layout file below the install root.
QString PathOf(const char *fileName);

} // namespace AlertLayout
