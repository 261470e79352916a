// The program-wide layer: the state the three windows share, the settings operations on the
// settings file, the text helpers every window formats numbers with, and the busy cursor.
// The application object owns one ProgramState and hands it to each window it creates.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

struct ProgramState
{
    static const QString kListeTailles;
    static const QString kLigneExemple1;
    static const QString kLigneExemple2;

    QString FichierIni;
    QString SautLigne;
    QString ListeTailles;
    double TaillePolice = 0;
    // Indexed 1 and 2 as the two sample lines are numbered; element 0 is unused.
    std::array<QString, 3> LignesExemple;
    // The sample lines as they stood at start-up, which the panes show one blank apart.
    QStringList TexteExemple;
    int ListeCourante = 0;
    int DernierAjout = 0;
    QString EntreeListe;
    QString NomPolice;
    QString NomPoliceReelle;
    bool RemplissageEnCours = false;
    int ListeImprimee = 0;
    bool AvecExemple = false;
    bool ApercuExemple = false;
    bool EspacePolices = false;
    bool AvecNumero = false;
};
