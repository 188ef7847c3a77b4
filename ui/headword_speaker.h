#pragma once

#include <QObject>
#include <QString>

class QPushButton;
class QTextToSpeech;

namespace pelmio {

// Speaks the headword when its button is pressed, through Qt's text to
// speech, which never blocks the window. The engine loads its plugin and
// the audio stack, so it is made only when first needed, not at start-up.
// Without a speech engine, or when the engine cannot play, the button is
// disabled and its tooltip says why.
class HeadwordSpeaker : public QObject {
    Q_OBJECT

public:
    // engine: a speech engine's name, or empty for the system's default.
    HeadwordSpeaker(QPushButton* button, const QString& engine, QObject* parent = nullptr);

    void setHeadword(const QString& headword) { m_headword = headword; }
    // Makes the engine, the first time only, and sets the button to match.
    void prepare();

private:
    void speak();
    void disable(const char* reason);

    QPushButton* m_button;
    QString m_engine;
    bool m_prepared = false;
    QTextToSpeech* m_speech = nullptr;
    QString m_headword;
};

}  // namespace pelmio
