#pragma once
// The small XML tool for Windows Media profiles: a tolerant tag-level
// parser that flattens a profile into items ("<name" opens an element,
// "name=value" is an attribute, ">name" closes), the removal of the audio
// or video stream configuration, attribute edits within the streams of one
// kind, and indented XML text made again from the items. Not a general XML
// parser: no text content, comments, entities or processing instructions.
//
// Pure value types over QtCore; any thread.
#include <QList>
#include <QString>
#include <QStringList>

namespace velmar::video {

class TXML {
public:
    virtual ~TXML() = default;
    virtual void Clear();
    void Parse(const QString& text);
    bool Generate();
    QString GeneratedText() const { return m_output.join(QLatin1Char('\n')); }
    const QStringList& Items() const { return m_items; }
    const QStringList& GeneratedLines() const { return m_output; }

protected:
    QStringList m_items;

private:
    void addElement(const QString& token);
    void addAttribute(const QString& token);
    void addValue(const QString& token);
    void closeElement();

    QStringList m_levels;
    int m_state = 0;
    QStringList m_output;
};

// Stream kinds of a profile's stream configurations.
enum TAsfStreamKind : int { ask_None = 0, ask_Video = 1, ask_Audio = 2 };

class TASFXML : public TXML {
public:
    void Clear() override;
    // Deletes the stream configurations of the excluded kinds; false when
    // there is nothing or neither kind of stream.
    bool RemoveStreams(bool includeVideo, bool includeAudio);
    // Sets every attribute of that name in the streams of a kind.
    void SetAttribute(const QString& name, const QString& value, TAsfStreamKind kind);
    // The value of the first attribute of that name in the streams of a
    // kind; empty when none.
    QString Attribute(const QString& name, TAsfStreamKind kind);

private:
    void classify();
    QList<int> m_kinds; // per item
    int m_firstAudio = 0;
    int m_firstVideo = 0;
};

} // namespace velmar::video
