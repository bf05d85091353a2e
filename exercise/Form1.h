#pragma once

#include "platform/Form.h"

#include <QStringList>

#include <array>

namespace platform {
class CommandButton;
class Control;
class Image;
class Label;
class MenuEntry;
class MovieControl;
class PictureBox;
}

// The exercise window: the movie above a row of five picture slots, the
// score panel, "Conferma" and "avanti", and the menu bar.
class Form1 : public platform::Form
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

    platform::MovieControl *ShockwaveFlash1;
    platform::PictureBox *PicturesattiErrati;
    platform::CommandButton *BottoneConferma;
    platform::CommandButton *BottoneAvanti;
    // Never shown: it holds a picture and a tag while two slots swap theirs.
    platform::Image *Image2;
    // The slots, 0 leftmost. Each Tag holds the number of the scene shown.
    std::array<platform::Image *, 5> Image1;
    // Inside the score panel.
    platform::Image *ComandoIconaSi;
    platform::Image *ComandoIconaNo;
    platform::Label *LabelEst;
    platform::Label *EtichettaEsatti;
    platform::Label *LabelErt;
    platform::Label *EtichettaErrati;
    platform::MenuEntry *MenuAzzera;
    platform::MenuEntry *MenuInformazioni;
    platform::MenuEntry *mnuEsci;

    static constexpr qint16 MassimoEsercizi = 1000;

    // The catalogue as the scan left it: names 1 to numeroEsercizi().
    qint16 numeroEsercizi() const { return NumeroEsercizi; }
    QString elencoEsercizi(int indice) const;
    // Exercises left out of the draw because a picture could not be read.
    bool escluso(int indice) const;

public slots:
    void BottoneAvanti_Click();
    void Image1_DragDrop(qint16 Index, platform::Control *Source, float X, float Y);
    void BottoneConferma_Click();
    void MenuAzzera_Click();
    void MenuInformazioni_Click();
    void mnuEsci_Click();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Activate() override;

private:
    void CaricaElencoEsercizi();
    void NuovoEsercizio();

    QString CartellaEsercizi() const;
    bool DistribuisciImmagini(const QString &nome, QString &fileMancante);
    void AvvisaSaltati(const QStringList &saltati, const QString &primoFileMancante);
    qint16 EstraiEsercizio() const;
    void SenzaEsercizi();

    // Entry 0 is never used.
    std::array<QString, MassimoEsercizi + 1> ElencoEsercizi;
    qint16 NumeroEsercizi = 0;
    std::array<bool, MassimoEsercizi + 1> Esclusi {};
};
