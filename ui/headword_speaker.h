#pragma once

#include <QObject>
#include <QString>

class QPushButton;
class QTextToSpeech;

namespace pelmio {

// Speaks the headword when its button is pressed, through Qt's text to
// speech, which never blocks the window. Without a speech engine the button
// is disabled and its tooltip says which package brings one.
class HeadwordSpeaker : public QObject {
    Q_OBJECT

public:
    // engine: a speech engine's name, or empty for the system's default.
    HeadwordSpeaker(QPushButton* button, const QString& engine, QObject* parent = nullptr);

    void setHeadword(const QString& headword) { m_headword = headword; }
    bool available() const { return m_speech != nullptr; }

private:
    void speak();

    QPushButton* m_button;
    QTextToSpeech* m_speech = nullptr;
    QString m_headword;
};

}  // namespace pelmio
