#!/usr/bin/env python3
"""Builds the language dictionary data/LNG/M3.diz (English and Italian), the
current-language file data/LNG/M3.con, the entry constants src/app/DictionaryEntries.h
and the entry table docs/dictionary.md from the tables below.

Every row holds one entry in both languages, so the languages stay aligned by
construction. Run from anywhere:  python3 tools/make_dictionary.py
The dictionary is written as UTF-8 (no byte-order mark) with CR LF line ends.
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BLANK = "_BLANK_"
END_ERRORS = "[END_ERROR_ECU]"
FIRST_ERROR_TEXT = 72
MAX_ERROR_TEXTS = 256

# ---------------------------------------------------------------------------------------
# Fixed positions 0-71, read by the main window by number.
# (constant name, what uses it, English, Italian)
# ---------------------------------------------------------------------------------------
FIXED = [
    ("AppTitle", "program title (window caption, configuration files)", "Gas ECU Workbench", "Banco ECU Gas"),
    ("MnuFileLoadConf", "menu File > Load configuration", "Load configuration", "Carica configurazione"),
    ("MnuFileSaveConf", "menu File > Save configuration", "Save configuration", "Salva configurazione"),
    ("MnuFileEsc", "menu File > Esc", "&Esc", "&Esci"),
    ("MnuView", "menu View", "&View", "&Visualizza"),
    ("TabCalibration", "menu View > Calibration (MnuViewTab(2)) and page tab 0", "Calibration", "Taratura"),
    ("TabModeling", "menu View > Modeling (MnuViewTab(3)) and page tab 1", "Modeling", "Modello"),
    ("TabMap", "menu View > Map (MnuViewTab(4)) and page tab 2", "Map", "Mappa"),
    ("TabGeneral", "menu View > General (MnuViewTab(0)) and page tab 3", "General", "Generale"),
    ("TabConfiguration", "menu View > Configuration (MnuViewTab(1)) and page tab 4", "Configuration", "Configurazione"),
    ("MnuPjct", "menu Project", "&Project", "&Progetto"),
    ("MnuDevice", "menu Project > Device", "De&vice", "&Dispositivo"),
    ("MnuLng", "menu Project > Language", "&Language", "&Lingua"),
    ("LblInjTPetrol", "General page: petrol time label", "Petrol (ms)", "Benzina (ms)"),
    ("LblInjTGas", "General page: gas time label", "Gas (ms)", "Gas (ms)"),
    ("LblInjCmb", "General page: injector selector label", "Injector", "Iniettore"),
    ("LblParRpm", "General page: engine speed label", "R.P.M.", "Giri/min"),
    ("FrmParametri", "calibration-parameters frame caption", "PARAMETRI", "PARAMETRI"),
    ("LblParTmpVap", "General page: reducer temperature label", "Reducer temp.", "Temp. riduttore"),
    ("LblParTmpGas", "General page: gas temperature label", "Gas temp.", "Temp. gas"),
    ("LblParGradi", "General page: temperature unit (LblParGradi(0) and (1))", "°C", "°C"),
    ("LblParPressure", "General page: gas pressure label", "Gas pressure", "Pressione gas"),
    ("LblParBar", "General page: pressure unit", "bar", "bar"),
    ("LblParLambda", "General page: lambda label", "Lambda", "Sonda lambda"),
    ("LblParLambdaMv", "General page: lambda unit", "V", "V"),
    ("LblSupVoltage", "General page: supply voltage label", "Supply (V)", "Alimentazione (V)"),
    ("MsgSemiSequentialRefused", "message: expert window refuses 'Semi sequential control' while the status byte is not 0",
     "This setting can only be changed with the ignition key off. Turn the key off and try again.",
     "Questa impostazione si può modificare solo a quadro spento. Spegnere il quadro e riprovare."),
    ("MsgOff", "message: 'off' choice (Empty Gas index 0, no lambda sensor, Safety car index 0)", "Disabled", "Disabilitato"),
    ("MsgFirmwareEcuNewer", "identity check: ECU firmware newer than the file",
     "The ECU firmware is newer than the firmware supplied with this program. Install the latest version of the workbench. The program will now close.",
     "Il firmware della centralina è più recente di quello fornito con questo programma. Installare l'ultima versione del banco. Il programma verrà chiuso."),
    ("MsgFirmwareOtherEcu", "identity check: the ECU does not belong to this workbench",
     "This ECU cannot be used with this program (different project code). Check that the right ECU is connected.",
     "Questa centralina non può essere usata con questo programma (codice progetto diverso). Verificare che sia collegata la centralina corretta."),
    ("MsgFirmwareFileMissing", "identity check: firmware image file missing (after its path)",
     "Firmware file not found. Reinstall the program. The program will now close.",
     "File firmware non trovato. Reinstallare il programma. Il programma verrà chiuso."),
    ("UpgradeStart", "firmware upgrade window: first message",
     "The ECU firmware must be upgraded. Stop the engine, leave the ignition key on and press Next.",
     "Il firmware della centralina deve essere aggiornato. Spegnere il motore, lasciare il quadro acceso e premere Next."),
    ("UpgradeReady", "firmware upgrade window: ready, press Next",
     "Ready. Press Next to start the upgrade. Do not turn the ignition off or disconnect the cable until it has finished.",
     "Pronto. Premere Next per avviare l'aggiornamento. Non spegnere il quadro e non scollegare il cavo fino al termine."),
    ("UpgradeStopEngine", "firmware upgrade window: engine running",
     "The engine is running. Stop the engine, leave the ignition key on and press Next again.",
     "Il motore è in moto. Spegnere il motore, lasciare il quadro acceso e premere di nuovo Next."),
    ("UpgradeDone", "firmware upgrade window: finished",
     "Upgrade completed successfully. Press Esc to continue.",
     "Aggiornamento completato. Premere Esc per continuare."),
    ("UpgradeEcuRelease", "firmware upgrade window: LblRelEcu caption", "Ecu release: ", "Versione centralina: "),
    ("UpgradeFileRelease", "firmware upgrade window: LblRelFle caption", "File release: ", "Versione file: "),
    ("MsgResetLineQuestion", "message: model page CmdResetLine question (Yes/No)",
     "Put all the points back on the line? The enrichments will be set to 0.",
     "Riportare tutti i punti sulla retta? Gli arricchimenti saranno azzerati."),
    ("MsgCommunicationError", "message: communication failure (firmware upgrade window, viewer)",
     "Communication error. Check the cable and the ECU supply, then try again.",
     "Errore di comunicazione. Controllare il cavo e l'alimentazione della centralina, poi riprovare."),
    ("MsgOn", "message: 'on' choice of the expert window (Safety car index 1)", "Enabled", "Abilitato"),
    ("MsgModeNeedsGas", "message: injector window refuses the test mode while running on petrol",
     "This mode can only be selected while the engine is running on gas. Switch to gas and try again.",
     "Questa modalità si può selezionare solo con il motore a gas. Passare a gas e riprovare."),
    ("MsgAreYouSure", "message: confirmation (injector type change Yes/No; firmware upgrade exit)",
     "Are you sure?", "Confermi?"),
    ("MsgResetModelQuestion", "message: model page CmdReset question (Yes/No)",
     "Reset the model to its default values? Slope 1, offset 0 and all enrichments 0.",
     "Riportare il modello ai valori iniziali? Pendenza 1, offset 0 e arricchimenti azzerati."),
    ("CmdCalStart", "Calibration page: start button", "Yes", "Sì"),
    ("CalIdle", "calibration: default text of LblCalMsg (idle, language change)",
     "Start the engine and let it idle on petrol, ignition key on. Press Yes to start the automatic calibration.",
     "Avviare il motore e lasciarlo al minimo a benzina, quadro acceso. Premere Sì per avviare la taratura automatica."),
    ("CalStepWord", "calibration: step word before the two-digit step code", "Step ", "Fase "),
    ("CalTimeLeft", "calibration: time-left text before the seconds", "Time left (s): ", "Tempo rimanente (s): "),
    ("CalStarting", "calibration: starting text",
     "Starting: the workbench is taking control of the ECU...",
     "Avvio: il banco sta prendendo il controllo della centralina..."),
    ("CalWarmUp", "calibration: warm-up text (followed by reducer temperature < required)",
     "Waiting for the reducer to warm up. Keep the engine idling on petrol.",
     "Attesa riscaldamento del riduttore. Tenere il motore al minimo a benzina."),
    ("CalTempReached", "calibration: temperature-reached text",
     "Reducer temperature reached.", "Temperatura del riduttore raggiunta."),
    ("CalIdleInstruction", "calibration: idle settling instruction (step 01)",
     "Let the engine idle on petrol. Do not touch the accelerator.",
     "Lasciare il motore al minimo a benzina. Non toccare l'acceleratore."),
    ("CalPetrolReference", "calibration: reference measurement on petrol",
     "Measuring the petrol reference. Keep the engine steady.",
     "Misura del riferimento a benzina. Mantenere il motore stabile."),
    ("CalRaiseSpeed", "calibration: raised-speed instruction (step 02)",
     "Raise the engine speed to the value shown and hold it steady.",
     "Portare il motore al numero di giri indicato e mantenerlo stabile."),
    ("CalGasCycle", "calibration: measuring on gas",
     "Running on gas: measuring. Keep the engine steady.",
     "Funzionamento a gas: misura in corso. Mantenere il motore stabile."),
    ("CalPetrolPause", "calibration: pause on petrol between gas cycles",
     "Back on petrol for a short pause. Keep the engine steady.",
     "Breve pausa a benzina. Mantenere il motore stabile."),
    ("CalDone1", "calibration: finished text, first line",
     "Automatic calibration completed.", "Taratura automatica completata."),
    ("CalDone2", "calibration: finished text, second line",
     "Press Yes to switch to gas and finish.", "Premere Sì per passare a gas e terminare."),
    ("CalResultHeader1", "calibration: result header, first line",
     "Automatic calibration completed with corrections.", "Taratura automatica completata con correzioni."),
    ("CalResultHeader2", "calibration: result header, second line",
     "A limit of the model was reached:", "È stato raggiunto un limite del modello:"),
    ("CalOffsetAtMin", "calibration: result code 1 (followed by the limit)",
     "Offset set to its minimum (ms): ", "Offset portato al minimo (ms): "),
    ("CalOffsetAtMax", "calibration: result code 2 (followed by the limit)",
     "Offset set to its maximum (ms): ", "Offset portato al massimo (ms): "),
    ("CalKeyOff", "calibration: conditions lost, ignition key off",
     "Ignition key off: the calibration will be cancelled.", "Quadro spento: la taratura sarà annullata."),
    ("CalEngineStopped", "calibration: conditions lost, engine stopped",
     "Engine stopped: the calibration will be cancelled.", "Motore spento: la taratura sarà annullata."),
    ("CalNotSlave", "calibration: conditions lost, ECU not under the workbench's control",
     "The ECU is not under the workbench's control: the calibration will be cancelled.",
     "La centralina non è sotto il controllo del banco: la taratura sarà annullata."),
    ("CalPaused1", "calibration: pause text, first line", "Calibration paused.", "Taratura in pausa."),
    ("CalPaused2", "calibration: pause text, second line",
     "Press Yes to resume or Esc to cancel and restore the previous settings.",
     "Premere Sì per riprendere o Esc per annullare e ripristinare le impostazioni precedenti."),
    ("CalAlfaAtMin", "calibration: result code 3 (followed by the limit)",
     "Slope set to its minimum: ", "Pendenza portata al minimo: "),
    ("CalAlfaAtMax", "calibration: result code 4 (followed by the limit)",
     "Slope set to its maximum: ", "Pendenza portata al massimo: "),
    ("CalTableRaised", "calibration: result code 5",
     "Some gas times were below the limit of the injector type and have been raised.",
     "Alcuni tempi gas erano sotto il limite del tipo di iniettore e sono stati aumentati."),
    ("CalTableLowered", "calibration: result code 6",
     "Some gas times were above the limit of the injector type and have been lowered.",
     "Alcuni tempi gas erano sopra il limite del tipo di iniettore e sono stati ridotti."),
    ("Unused70", "not used", BLANK, BLANK),
    ("ErrorListHeader", "not read (start of the ECU error texts)", "[ERROR_ECU]", "[ERROR_ECU]"),
]

# ---------------------------------------------------------------------------------------
# ECU error texts from entry 72, one per error number: "name?state 0|state 1|...".
# The ECU reports 0 for no error; the other state values are all shown as a fault.
# ---------------------------------------------------------------------------------------
STATES_EN = "OK|Fault|Fault|Fault"
STATES_IT = "OK|Guasto|Guasto|Guasto"
ERRORS = [("Gas injector %d" % (i + 1), "Iniettore gas %d" % (i + 1)) for i in range(8)]
ERRORS += [
    ("End of gas", "Fine gas"),                      # 8: masked when the end-of-gas check is off
    ("Vacuum sensor", "Sensore depressione"),        # 9: masked when vacuum acquisition is off
    ("Error 10", "Errore 10"),
    ("Gas temperature sensor", "Sensore temperatura gas"),  # 11
    ("Lambda sensor", "Sonda lambda"),               # 12: masked with no lambda sensor
]
ERRORS += [("Error %d" % n, "Errore %d" % n) for n in range(13, 32)]

# ---------------------------------------------------------------------------------------
# Entries T+1 ... T+61, T being the position of "[END_ERROR_ECU]".
# ---------------------------------------------------------------------------------------
AFTER_ERRORS = [
    ("ErrInj", "CmdErrInj caption and title word of the error window", "Errori", "Errori"),
    ("TipEv1", "CkbeV_01 tooltip", "Gas solenoid valve 1", "Elettrovalvola gas 1"),
    ("TipEv2", "CkbeV_02 tooltip", "Gas solenoid valve 2", "Elettrovalvola gas 2"),
    ("TipKey", "CkbKey tooltip", "Ignition key", "Chiave quadro"),
    ("TipFuel", "CkbStatoAlim tooltip", "Fuel in use (GAS = gas, BNZ = petrol)", "Carburante in uso (GAS = gas, BNZ = benzina)"),
    ("TipEcuState", "CkbStatoEcu tooltip", "ECU mode (RUN = normal, SLV = controlled by the workbench)",
     "Modo centralina (RUN = normale, SLV = comandata dal banco)"),
    ("FrmSwitch", "Configuration page: frame FrmSwitch", "Switching to gas", "Commutazione a gas"),
    ("LblSwtchRpm", "Configuration page: LblSwtchRpm, frame FrmRPM; Map page: LblShoRpm", "R.P.M.", "Giri/min"),
    ("LblSwtchTemp", "Configuration page: switch-over temperature", "Temperature (°c)", "Temperatura (°C)"),
    ("LblSwtchDelay", "Configuration page: temperature delay", "Temper.delay (s)", "Ritardo temp. (s)"),
    ("LblSwtchForce", "Configuration page: forced switch-over time", "Force Swicth (s)", "Commutazione forzata (s)"),
    ("LblSwtchSeq", "Configuration page: sequence delay", "Sequence delay (ms)", "Ritardo sequenza (ms)"),
    ("FrmTyp", "Configuration page: frame FrmTyp", "Injectors", "Iniettori"),
    ("LblTypFuel", "Configuration page: fuel type label", "Fuel", "Carburante"),
    ("OptTypFuelLpg", "Configuration page: OptTypFuel(0)", "Lpg", "Gpl"),
    ("OptTypFuelCng", "Configuration page: OptTypFuel(1)", "Cng", "Metano"),
    ("LblSwtchCilindri", "Configuration page: number of cylinders", "Num. Cylinder", "Num. cilindri"),
    ("LblSwtchBobine", "Configuration page: number of coils", "Coil", "Bobine"),
    ("FrmSensor", "Configuration page: frame FrmSensor", "Sensor level", "Sensore livello"),
    ("LblTypName", "Configuration page: LblTypGLS and LblTypInj", "Name", "Nome"),
    ("LblEmptyGas", "Configuration page: end-of-gas check", "Empty Gas", "Fine gas"),
    ("LblSwtchPres", "Configuration page: end-of-gas pressure", "Pressure (Bar)", "Pressione (bar)"),
    ("LblSwtchPressDelay", "Configuration page: end-of-gas delay", "Delay (s)", "Ritardo (s)"),
    ("CmdTpyGLS", "Configuration page: level window button", "Set Level", "Imposta livello"),
    ("CmdTpyInj", "Configuration page: injector window button", "Setting", "Impostazioni"),
    ("FrmOption", "Configuration page: frame FrmOption", "Option", "Opzioni"),
    ("LblSwtchLdb", "Configuration page: lambda sensor type", "Lambda sensor", "Sonda lambda"),
    ("CmdReserVar", "Configuration page: Reset All button", "Reset All", "Ripristina tutto"),
    ("TxtGasMod", "Model page: gas axis text (TxtGasMod.Text)", "Gas (ms)", "Gas (ms)"),
    ("TxtPetrolMod", "Model and map pages: petrol axis text (TxtPetrolMod.Text, TxtMapPetrol.Text)", "Petrol (ms)", "Benzina (ms)"),
    ("FrmModPnt", "Model page: frame FrmModPnt", "Point", "Punto"),
    ("LblPlace", "Model page: point place column", "Place", "Posizione"),
    ("LblMul", "Model page: point enrichment column", "Enrich. (ms)", "Arricch. (ms)"),
    ("FrmModLine", "Model page: frame FrmModLine", "Line", "Retta"),
    ("LblAlfa", "Model page: slope label", "Slope", "Pendenza"),
    ("LblOffset", "Model page: offset label", "Offset (ms)", "Offset (ms)"),
    ("TxtMapPressure", "Map page: vacuum axis text (TxtMapPressure.Text)", "Vacuum (bar)", "Depressione (bar)"),
    ("FrmMapTuning", "Map page: frame FrmMapTuning", "Tuning", "Regolazione"),
    ("CmdMapRead", "Map page: read samples", "Read", "Leggi"),
    ("ChkAbilAcqVacum", "Map page: automatic sample reading", "Auto Tuning", "Regolazione automatica"),
    ("CmdMapCompute", "Map page: compute the map", "Compute", "Calcola"),
    ("CmdMapClrGas", "Map page: clear the gas samples", "Clear Gas", "Cancella gas"),
    ("CmdMapClrPet", "Map page: clear the petrol samples", "Clear Petrol", "Cancella benzina"),
    ("CmdShpMapMod", "Map page: clear the pair markers", "Clear Model", "Cancella modello"),
    ("LblMapPetrol", "Map page: legend, petrol", " - Petrol", " - Benzina"),
    ("LblMapGas", "Map page: legend, gas", " - Gas", " - Gas"),
    ("LblCalVacuum", "calibration-parameters frame: vacuum", "Vacuum (bar)", "Depressione (bar)"),
    ("LblCalInjTp", "calibration-parameters frame: petrol time", "Petrol (ms)", "Benzina (ms)"),
    ("LblCalInjTg", "calibration-parameters frame: gas time", "Gas (ms)", "Gas (ms)"),
    ("LblCalTempVap", "calibration-parameters frame: reducer temperature", "Reducer (°C)", "Riduttore (°C)"),
    ("LblCalTempGas", "calibration-parameters frame: gas temperature", "Gas temp. (°C)", "Temp. gas (°C)"),
    ("LblCalPres", "calibration-parameters frame: gas pressure", "Pressure (bar)", "Pressione (bar)"),
    ("LblCalLambda", "calibration-parameters frame: lambda", "Lambda (V)", "Lambda (V)"),
    ("CalConfirm", "calibration: confirm text (last line of the result)",
     "Press Yes to keep the result or Esc to restore the previous settings.",
     "Premere Sì per confermare il risultato o Esc per ripristinare le impostazioni precedenti."),
    ("CalRestoring", "calibration: restoring text (cancel)",
     "Cancelling: restoring the previous ECU settings, please wait...",
     "Annullamento: ripristino delle impostazioni precedenti della centralina, attendere..."),
    ("CalBackToIdle", "calibration: return-to-idle instruction (step 03)",
     "Release the accelerator and let the engine return to idle.",
     "Rilasciare l'acceleratore e lasciare tornare il motore al minimo."),
    ("CalCancelled", "calibration: cancelled, settings restored",
     "Calibration cancelled. The previous settings have been restored.",
     "Taratura annullata. Le impostazioni precedenti sono state ripristinate."),
    ("CalSpeedTooLow", "calibration: engine speed below the required value",
     "Engine speed too low: ", "Giri motore troppo bassi: "),
    ("MsgOnEmptyGas", "message: 'on' choice of Empty Gas (index 1)", "Enabled", "Abilitato"),
    ("Spare60", "kept, no reader", BLANK, BLANK),
    ("Spare61", "kept, no reader", BLANK, BLANK),
]

# ---------------------------------------------------------------------------------------
# Side-window blocks: a marker entry followed by the window's own entries.
# (marker, constant prefix, window, [(constant name, what uses it, English, Italian)])
# ---------------------------------------------------------------------------------------
EXPERT_CAPTIONS = [  # (constant name, control captioned, English, Italian), in window order
    ("AbilComp", "check box ChkAbilComp", "Compensazione Volumetrica", "Compensazione volumetrica"),
    ("TempVolRef", "label of CmbtempVolRef", "Temp. Vo (°C)", "Temp. Vo (°C)"),
    ("PressVolRef", "label of CmbpressVolRef", "Pres. Vo (mbar)", "Press. Vo (mbar)"),
    ("MinRpmAbil", "check box ChkMinRpmAbil", "Min power", "Potenza minima"),
    ("RpmLow", "label of CmbRpmLow", "Min RPM Low", "Giri min. bassi"),
    ("RpmHight", "label of CmbRpmHight", "Min RPM Hight", "Giri min. alti"),
    ("MaxPower", "check box ChkMaxPower", "Max power", "Potenza massima"),
    ("AbilCompRpm", "check box ChkAbilCompRpm", "Compensa rpm", "Compensa giri"),
    ("TypSensTemp", "label of CmbTypSensTemp", "Temper. sensor", "Sensore temper."),
    ("ValuePreInj", "label of CmbValuePreInj", "Preinj. Time (ms)", "Tempo preiniez. (ms)"),
    ("TemperUnderPreInj", "label of CmbTemperUnderPreInj", "Preinj.Temper (°c)", "Temper. preiniez. (°C)"),
    ("DefTimeSovra", "label of CmbDefTimeSovra", "Preinj. Period (s)", "Periodo preiniez. (s)"),
    ("MicroInjTime", "micro-injection time label", "Microinj time (ms)", "Tempo microiniez. (ms)"),
    ("ClearHoursCnt", "button CmdClearHoursCnt", "Erase", "Azzera"),
    ("NotOsservaRpm", "check box ChknotOsservaRpm", "notOsservaRpm", "notOsservaRpm"),
    ("VersoComm", "check box ChkversoComm", "versoComm", "versoComm"),
    ("SingleChComm", "check box ChkSingleChComm", "Semi sequential control", "Controllo semisequenziale"),
    ("SohTfraComm", "label of Txtsoh_Tfra_Comm", "soh_Tfra_Comm  (x 8 uS)", "soh_Tfra_Comm  (x 8 uS)"),
    ("SohTonComm", "label of TxtSoh_Ton_Comm", "Soh_Ton_Comm (x 8 uS)", "Soh_Ton_Comm (x 8 uS)"),
    ("SafetyCar", "label of CmbSafetyCar", "Safety car", "Safety car"),
    ("ChangeStatoEcu", "button CmdChangeStatoEcu", "Stato Ecu", "Stato ECU"),
]

BLOCKS = [
    ("[Frm_About]", "About", "information window (About)", [
        ("EcuFirmware", "label before the ECU firmware date and version", "ECU firmware: ", "Firmware centralina: "),
        ("FileFirmware", "label before the firmware file's date and version", "File firmware: ", "Firmware file: "),
        ("WorkTime2", "label before working-time counter 2 (Minutes2) in hours", "Working hours (counter 2): ", "Ore di lavoro (contatore 2): "),
        ("WorkTime1", "label before working-time counter 1 (Minutes1) in hours", "Working hours (counter 1): ", "Ore di lavoro (contatore 1): "),
    ]),
    ("[FrmInit]", "Init", "waiting window", [
        ("ReadingEcu", "message while the ECU's data are read after a connection",
         "Reading the ECU data, please wait...", "Lettura dei dati della centralina, attendere..."),
    ]),
    ("[FrmLevel]", "Level", "gas level sensor window", [
        ("Caption", "window caption (followed by \" - \" and the sensor type)", "Level", "Livello"),
        ("LblGasLevel", "label LblGasLevel", "Gas level", "Livello gas"),
        ("CmdDefaultLevel", "button CmdDefaultLevel", "Default", "Predefiniti"),
    ]),
    ("[FrmInj]", "Inj", "injector settings window", [
        ("LblInjNum", "column label LblInjNum", "Injector", "Iniettore"),
        ("LblTime", "column label LblTime", "Gas (ms)", "Gas (ms)"),
        ("LblEnricht", "column label LblEnricht", "OffSet", "Offset"),
        ("LblInjSet", "column label LblInjSet", "Mode", "Modo"),
        ("ModeNormal", "mode list index 0 (injector mode 3)", "Normal", "Normale"),
        ("ModeTest", "mode list index 1 (injector mode 4, only while running on gas)", "Test (on gas)", "Prova (a gas)"),
        ("ModeOff", "mode list index 2 (injector mode 0, not for the first injector)", "Off", "Escluso"),
        ("Caption", "window caption (followed by \" - \" and the injector type)", "Injector", "Iniettore"),
        ("LblTimePetrol", "column label LblTimePetrol", "Pet (ms)", "Benz. (ms)"),
        ("LblBadBit0", "sensitivity slider label LblBadBit(0)", " Sensibility", " Sensibilità"),
        ("LblBadBit1", "sensitivity unit LblBadBit(1)", "ms", "ms"),
    ]),
    ("[FrmErrEcu]", "ErrEcu", "ECU errors window", [
        ("HeaderName", "grid column 0 header", "Error", "Errore"),
        ("HeaderPresent", "grid column 1 header", "Present", "Attuale"),
        ("HeaderMemorised", "grid column 2 header", "Memorised", "Memorizzato"),
        ("CmdErrInjCanc", "button clearing the ECU's error memory", "Canc.", "Canc."),
        ("Caption", "window caption (followed by \" \")", "Errori", "Errori"),
    ]),
    ("[FrmSetExpert]", "Expert", "expert settings window",
     list(EXPERT_CAPTIONS) + [
        ("WorkTime2", "working-time label shown with counter 2 (Minutes2), before \": \"", "Working hours (counter 2)", "Ore di lavoro (contatore 2)"),
        ("WorkTime1", "working-time label shown with counter 1 (Minutes1), before \": \"", "Working hours (counter 1)", "Ore di lavoro (contatore 1)"),
        ("TypSensMap", "label of CmbTypSensMap", "Map sensor", "Sensore MAP"),
        ("BadBit", "label of CmbBadBit", "Bad bit (ms)", "Sensibilità (ms)"),
    ]),
    ("[FrmMod]", "Mod", "model page's own texts (Modeling - F6)", [
        ("NotWritten", "model page: the last correction-table write to the ECU failed",
         "The ECU did not take the correction table: it may not hold the model shown. The workbench keeps trying.",
         "La centralina non ha accettato la tabella di correzione: potrebbe non contenere il modello mostrato. "
         "Il banco continua a riprovare."),
        ("NotWrittenOffLine", "model page: off-line, the model shown has not been written to the ECU",
         "Off-line: the model shown has not been written to the ECU.",
         "Non in linea: il modello mostrato non è stato scritto nella centralina."),
        ("CmdLeft", "model page: tooltip of CmdLeft", "Move the point left (Left arrow)",
         "Sposta il punto a sinistra (freccia sinistra)"),
        ("CmdRight", "model page: tooltip of CmdRight", "Move the point right (Right arrow)",
         "Sposta il punto a destra (freccia destra)"),
        ("CmdUp", "model page: tooltip of CmdUp", "Raise the point's enrichment (Up arrow)",
         "Aumenta l'arricchimento del punto (freccia su)"),
        ("CmdDown", "model page: tooltip of CmdDown", "Lower the point's enrichment (Down arrow)",
         "Riduci l'arricchimento del punto (freccia giù)"),
        ("CmdAlfaUp", "model page: tooltip of CmdAlfaUp", "Raise the slope (+)", "Aumenta la pendenza (+)"),
        ("CmdAlfaDown", "model page: tooltip of CmdAlfaDown", "Lower the slope (-)", "Riduci la pendenza (-)"),
        ("CmdOffsetUp", "model page: tooltip of CmdOffsetUp", "Raise the offset (Page Up)",
         "Aumenta l'offset (Pag su)"),
        ("CmdOffsetDown", "model page: tooltip of CmdOffsetDown", "Lower the offset (Page Down)",
         "Riduci l'offset (Pag giù)"),
        ("CmdResetLine", "model page: button CmdResetLine", "Reset line", "Punti sulla retta"),
        ("CmdReset", "model page: button CmdReset", "Reset", "Azzera"),
        ("CmdModOpen", "model page: button CmdModOpen", "Open...", "Apri..."),
        ("CmdModSave", "model page: button CmdModSave", "Save...", "Salva..."),
        ("TableCurve", "model page: legend of the curve of the correction table to be written",
         "Correction table to be written (ms)", "Tabella di correzione da scrivere (ms)"),
        ("Trail", "model page: legend of the live markers", "Live (petrol ; gas)", "Attuale (benzina ; gas)"),
        ("PlotHint", "model page: tooltip of the plot",
         "Click a point to select it, then drag it or move it with the arrow keys.",
         "Fare clic su un punto per selezionarlo, poi trascinarlo o spostarlo con le frecce."),
    ]),
    ("[FrmKD452]", "Main", "main window's own texts (controls no numbered entry captions)", [
        ("LblGasLevel", "General page: gas level label", "Level", "Livello"),
        ("LegendPetrol", "General page: legend of the petrol bars", "Petrol", "Benzina"),
        ("LegendGas", "General page: legend of the gas bars", "Gas", "Gas"),
        ("BarScale", "General page: range of the injector bars", "0 ... 21 ms", "0 ... 21 ms"),
        ("LambdaLean", "General page: lean end of the lambda bar", "Lean", "Magra"),
        ("LambdaRich", "General page: rich end of the lambda bar", "Rich", "Grassa"),
        ("CmdView", "General page: button opening the signal viewer", "View", "Grafico"),
        ("PageNotAvailable", "text of a page that is not available yet",
         "This page is not available yet.", "Questa pagina non è ancora disponibile."),
        ("LogoText", "General page: logo text when LNG/img2.img is missing", "LPG / CNG", "GPL / METANO"),
        ("LogoSmallText", "parameters frame: logo text when LNG/img3.img is missing", "LPG", "GPL"),
        ("MnuSimulated", "menu Project > Device: the built-in simulated ECU", "Simulated ECU", "Centralina simulata"),
        ("LinkLampTip", "parameters frame: tooltip of the link lamp ShpCalComm", "Link", "Collegamento"),
        ("CorTableNotRead", "File > Save configuration before the ECU's correction table was read",
         "The ECU's correction table has not been read yet, so the configuration cannot be saved. "
         "Connect to the ECU and wait until its settings have been read, then save again.",
         "La tabella di correzione della centralina non è ancora stata letta: la configurazione non "
         "può essere salvata. Collegare la centralina, attendere la lettura delle impostazioni e salvare di nuovo."),
        ("ConfigNotSaved", "first line of the box of a configuration file that was not saved",
         "The configuration file was not saved:", "Il file di configurazione non è stato salvato:"),
        ("ConfigNotLoaded", "first line of the box of a configuration file that was not loaded",
         "The configuration file was not loaded:", "Il file di configurazione non è stato caricato:"),
        ("FileUnreadable", "why a configuration file was not loaded: it cannot be read",
         "The file cannot be read.", "Il file non può essere letto."),
        ("LoadNoAnswer", "configuration load: the ECU did not answer the reads before writing",
         "The ECU did not answer the reads; nothing was written.",
         "La centralina non ha risposto alle letture: non è stato scritto nulla."),
        ("LoadNotAccepted", "configuration load: nothing of the file stayed in the ECU",
         "The configuration was not accepted; the ECU keeps what it had.",
         "La configurazione non è stata accettata: la centralina conserva la sua."),
        ("LoadInPart", "configuration load: part of the file stayed in the ECU",
         "The configuration was written only in part.", "La configurazione è stata scritta solo in parte."),
        ("LoadHoldsFromFile", "configuration load: followed by the items the ECU now holds from the file",
         "The ECU now holds from the file:", "La centralina ora contiene dal file:"),
        ("LoadMayHold", "configuration load: followed by the items whose write was not confirmed",
         "It may hold from the file (the write was not confirmed):",
         "Potrebbe contenere dal file (scrittura non confermata):"),
        ("LoadRestOwn", "configuration load: end of the message of a partial load",
         "Everything else is the ECU's own. Load the configuration again.",
         "Il resto è quello della centralina. Caricare di nuovo la configurazione."),
        ("ItemBlock", "configuration load: name of a parameter block (followed by its number)", "block", "blocco"),
        ("ItemCorTable", "configuration load: name of the correction table", "correction table",
         "tabella di correzione"),
        ("ItemAnd", "configuration load: joins the last two items of a list", "and", "e"),
        ("LeftOnPetrol", "configuration load on gas: the switch back to gas failed",
         "The ECU could not be switched back to gas: it runs on petrol.",
         "Non è stato possibile riportare la centralina a gas: funziona a benzina."),
        ("UpgradeIncomplete", "upgrade window: zones were left unwritten (a recovery file is kept)",
         "UpGrade incomplete: repeat it ", "Aggiornamento incompleto: ripeterlo "),
        ("FileTooLarge", "why a configuration file was not loaded: far larger than any configuration",
         "The file is too large to be a configuration file. Nothing was loaded.",
         "Il file è troppo grande per essere un file di configurazione. Non è stato caricato nulla."),
        ("FileDamaged", "why a configuration file was not loaded: damaged or cut short",
         "The file is damaged or incomplete: it is not a whole configuration. Nothing was loaded.",
         "Il file è danneggiato o incompleto: non è una configurazione completa. Non è stato caricato nulla."),
        ("FirmwareDamaged", "identity check: firmware image file damaged or cut short (after its path); the program ends",
         "The firmware image file is damaged or incomplete, so no ECU can be checked or upgraded with it. Install the workbench again. The program will now close.",
         "Il file immagine del firmware è danneggiato o incompleto: nessuna centralina può essere verificata o aggiornata con esso. Reinstallare il banco. Il programma verrà chiuso."),
    ]),
    ("[FrmMap]", "Map", "map page's own texts", [
        ("CmdMapOpen", "button CmdMapOpen: load a map file", "Open...", "Apri..."),
        ("CmdMapSave", "button CmdMapSave: save the samples as a map file", "Save...", "Salva..."),
        ("TimeAxis", "plot's vertical axis", "Injection time (ms)", "Tempo di iniezione (ms)"),
        ("BadLine", "map file line that is not a number (%1: the line's number)",
         "Line %1 of the map file is not a number. Nothing was loaded.",
         "La riga %1 del file mappa non è un numero. Non è stato caricato nulla."),
        ("Unreadable", "map file that cannot be read (%1: its path)",
         "The map file cannot be read: %1", "Il file mappa non può essere letto: %1"),
        ("NotSaved", "first line of the box of a map file that was not saved",
         "The map file was not saved:", "Il file mappa non è stato salvato:"),
        ("TooLarge", "map file far larger than any map file (%1: its path); nothing was loaded",
         "The file is too large to be a map file: %1", "Il file è troppo grande per essere un file mappa: %1"),
    ]),
    ("[FrmView]", "View", "signal viewer window's own texts (its fixed texts \"View\", \"NO CHECK!\" ... are not translated)", [
        ("OptRun0", "option OptRun(0): live recording", "Run", "Registra"),
        ("OptRun1", "option OptRun(1): file display", "File", "File"),
        ("CmdOpen", "button opening a view file", "Open", "Apri"),
        ("CmdSaveLogOsc", "button saving the current log as a view file", "Save", "Salva"),
        ("CmdExport", "button exporting the samples as *.vflf", "Export", "Esporta"),
        ("CmdExportCsv", "button exporting the samples as CSV", "CSV", "CSV"),
        ("ChkWholeFile", "check box: read the whole file instead of 3 000 000-character windows", "Whole file", "File intero"),
        ("CmdCancelLoad", "button cancelling a file being read", "Cancel", "Annulla"),
        ("CmbChnInj", "injector list entries (followed by a blank and 1-8)", "Injector", "Iniettore"),
        ("FrmSetting", "frame of the channels", "Setting", "Impostazioni"),
        ("Samples", "after the number of samples shown", "samples", "campioni"),
        ("NoSamples", "an opened file holds no live-value samples (%1: its path); the view shown is kept",
         "No live-value samples were found in the file; the view shown is kept: %1",
         "Nel file non sono stati trovati campioni dei valori in tempo reale; la vista mostrata resta: %1"),
    ]),
]

LANGUAGES = ("#English", "#Italiano")


def error_text(name, states):
    return "%s?%s" % (name, states)


def build():
    """Returns (entries, layout): entries as (English, Italian) pairs in file order."""
    entries = [(en, it) for _, _, en, it in FIXED]
    assert len(entries) == FIRST_ERROR_TEXT, "fixed positions must end at 71"
    for en, it in ERRORS:
        entries.append((error_text(en, STATES_EN), error_text(it, STATES_IT)))
    t = len(entries)
    entries.append((END_ERRORS, END_ERRORS))
    assert len(AFTER_ERRORS) == 61, "T+1 ... T+61"
    entries += [(en, it) for _, _, en, it in AFTER_ERRORS]
    markers = {}
    for marker, _, _, rows in BLOCKS:
        markers[marker] = len(entries)
        entries.append((marker, marker))
        entries += [(en, it) for _, _, en, it in rows]
    return entries, {"T": t, "markers": markers}


def check(entries, layout):
    t = layout["T"]
    if t - FIRST_ERROR_TEXT > MAX_ERROR_TEXTS:
        sys.exit("too many error texts: the window examines at most %d" % MAX_ERROR_TEXTS)
    for n, pair in enumerate(entries):
        for text in pair:
            if text == "" or text.strip() == "":
                sys.exit("entry %d is empty: write %s" % (n, BLANK))
            if "\r" in text or "\n" in text or text == "###":
                sys.exit("entry %d cannot be written as one entry line: %r" % (n, text))
        if (pair[0] == END_ERRORS) != (pair[1] == END_ERRORS):
            sys.exit("entry %d: the error-list end differs between the languages" % n)
    for lang in (0, 1):
        texts = [p[lang] for p in entries]
        if texts.index(END_ERRORS) != t:
            sys.exit("language %d: %s is not at %d" % (lang, END_ERRORS, t))
        for n in range(FIRST_ERROR_TEXT, t):
            if "?" not in texts[n]:
                sys.exit("language %d: error text %d has no '?'" % (lang, n))
        for marker, at in layout["markers"].items():
            if texts.index(marker) != at or texts.count(marker) != 1:
                sys.exit("language %d: marker %s must appear once, at %d" % (lang, marker, at))


def write_bytes(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def dictionary_text(entries):
    lines = []
    for lang, name in enumerate(LANGUAGES):
        lines.append("###")
        lines.append(name)
        lines += [pair[lang] for pair in entries]
    return "".join(line + "\r\n" for line in lines)


def cpp_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def header_text(layout):
    out = []
    w = out.append
    w("// DictionaryEntries: where the windows find their texts in the language dictionary")
    w("// (\\LNG\\M3.diz): the fixed entry numbers of the main window, the end of the ECU error")
    w("// texts and the offsets after it, and the side windows' marker entries with the offsets")
    w("// of their own entries. It holds numbers only; reading the texts is ClsLingue's job.")
    w("// Generated by tools/make_dictionary.py together with the shipped dictionary.")
    w("#pragma once")
    w("")
    w("namespace gw {")
    w("")
    w("// Entries read by number (the same number in every language).")
    for n, (name, use, _, _) in enumerate(FIXED):
        w("constexpr int kEntry%s = %d;  // %s" % (name, n, use))
    w("")
    w("// ECU error texts: one entry per error number from here on, \"name?state 0|state 1|...\",")
    w("// ended by the entry kEndErrorEcu; at most kMaxErrorTexts entries are examined.")
    w("constexpr int kEntryFirstErrorText = %d;" % FIRST_ERROR_TEXT)
    w("constexpr int kMaxErrorTexts = %d;" % MAX_ERROR_TEXTS)
    w("constexpr const char* kEndErrorEcu = %s;" % cpp_string(END_ERRORS))
    w("constexpr char kErrorNameEnd = '?';")
    w("constexpr char kErrorStateSeparator = '|';")
    w("")
    w("// Entries after the error list: entry = (position of kEndErrorEcu) + offset.")
    for k, (name, use, _, _) in enumerate(AFTER_ERRORS, start=1):
        w("constexpr int kAfterErrors%s = %d;  // %s" % (name, k, use))
    w("constexpr int kAfterErrorsCount = %d;" % len(AFTER_ERRORS))
    for marker, prefix, window, rows in BLOCKS:
        w("")
        w("// %s%s: the marker entry, then its entries at marker + offset." % (window[0].upper(), window[1:]))
        w("constexpr const char* kMarker%s = %s;" % (prefix, cpp_string(marker)))
        for k, (name, use, _, _) in enumerate(rows, start=1):
            w("constexpr int k%s%s = %d;  // %s" % (prefix, name, k, use))
        w("constexpr int k%sEntryCount = %d;" % (prefix, len(rows)))
    w("")
    w("}  // namespace gw")
    return "\n".join(out) + "\n"


def md_cell(text):
    if text == BLANK:
        return "(empty)"
    shown = text.replace("|", "\\|")
    if shown != shown.strip():
        return '`"%s"`' % shown
    return shown


def docs_text(entries, layout):
    t = layout["T"]
    out = []
    w = out.append
    w("# Language dictionary entries")
    w("")
    w("The dictionary `LNG/M3.diz` holds the same numbered list of texts for every language")
    w("(language 0 English, language 1 Italian). It is generated by `tools/make_dictionary.py`,")
    w("which also writes `src/app/DictionaryEntries.h`; edit the tables in the script, never the")
    w("generated files, and run it again. The file is UTF-8 without a byte-order mark, one entry")
    w("per line, CR LF line ends; an empty text is written `_BLANK_`. Texts that begin or end")
    w("with a blank are shown in quotes below; the blank belongs to the text.")
    w("")
    w("Windows find their texts in three ways:")
    w("")
    w("- by fixed number (`kEntry...`): entries 0-71;")
    w("- after the error list: the ECU error texts run from entry 72 up to the entry")
    w("  `[END_ERROR_ECU]` at position T; the following captions are at T + offset")
    w("  (`kAfterErrors...`). T depends on how many error texts a dictionary holds, so the")
    w("  window finds it by searching, never by a fixed number. In the shipped dictionary there")
    w("  are %d error texts (72-%d) and T = %d." % (t - FIRST_ERROR_TEXT, t - 1, t))
    w("- after a marker entry (`kMarker...`): a side window searches the current language for")
    w("  its marker and reads the entries at marker + offset.")
    w("")
    w("## Fixed entries")
    w("")
    w("| Entry | Constant | Used for | English | Italian |")
    w("|---|---|---|---|---|")
    for n, (name, use, en, it) in enumerate(FIXED):
        w("| %d | `kEntry%s` | %s | %s | %s |" % (n, name, use, md_cell(en), md_cell(it)))
    w("")
    w("## ECU error texts (72 up to T - 1)")
    w("")
    w("Form: the error's name, `?`, then the state texts separated by `|`, one per state value")
    w("from 0. The ECU reports 0 for no error; every other state value is shown as a fault.")
    w("Errors 0-7 (injectors), 8, 9, 11 and 12 are the ones the error mask knows; the others")
    w("carry their number until the ECU's documentation names them.")
    w("")
    w("| Entry | Error | English | Italian |")
    w("|---|---|---|---|")
    for k in range(FIRST_ERROR_TEXT, t):
        en, it = entries[k]
        w("| %d | %d | %s | %s |" % (k, k - FIRST_ERROR_TEXT, md_cell(en), md_cell(it)))
    w("| %d (T) | | `[END_ERROR_ECU]` | `[END_ERROR_ECU]` |" % t)
    w("")
    w("## Entries after the error list (T + offset)")
    w("")
    w("| Offset | Shipped entry | Constant | Used for | English | Italian |")
    w("|---|---|---|---|---|---|")
    for k, (name, use, en, it) in enumerate(AFTER_ERRORS, start=1):
        w("| T+%d | %d | `kAfterErrors%s` | %s | %s | %s |" % (k, t + k, name, use, md_cell(en), md_cell(it)))
    for marker, prefix, window, rows in BLOCKS:
        at = layout["markers"][marker]
        w("")
        w("## `%s` (%s)" % (marker, window))
        w("")
        w("Marker constant `kMarker%s`, at entry %d in the shipped dictionary; %d entries follow." % (prefix, at, len(rows)))
        w("")
        w("| Offset | Shipped entry | Constant | Used for | English | Italian |")
        w("|---|---|---|---|---|---|")
        for k, (name, use, en, it) in enumerate(rows, start=1):
            w("| +%d | %d | `k%s%s` | %s | %s | %s |" % (k, at + k, prefix, name, use, md_cell(en), md_cell(it)))
    w("")
    w("## Choices made for this dictionary")
    w("")
    w("- English texts of controls that have a designed caption are that caption, character for")
    w("  character (so English looks as the windows were designed, odd spellings included).")
    w("- Entries 5-9 hold the View menu captions; a page tab shows the same text followed by")
    w("  its key (\" - F5\", \" - F6\", \" - F7\", \" - F2\", \" - F3\"), as designed.")
    w("- One entry serves `LblTypGLS` and `LblTypInj`: it reads \"Name\", which fits both.")
    w("- Entry 27 is the 'off' choice wherever a list starts with one (Empty Gas, lambda sensor")
    w("  none, Safety car); the 'on' choices are entry 39 (Safety car) and T+59 (Empty Gas).")
    w("- The firmware upgrade window's phrases: 31 start, 32 ready, 33 stop the engine, 34 done,")
    w("  35 and 36 the release captions, 38 communication error, 41 the exit confirmation.")
    w("- The identity check's phrases: 28 (ECU firmware newer), 29 (ECU of another project),")
    w("  30 (firmware file missing, shown after the file's path).")
    w("- The calibration's texts are listed above by purpose; the return to idle (step 03) has")
    w("  its own instruction, T+56.")
    w("- The expert window's two working-time labels follow its 21 captions.")
    w("- Entry 70 and T+60, T+61 are kept empty; entry 71 (not read) marks the start of the")
    w("  error list for whoever edits the file.")
    return "\n".join(out) + "\n"


def main():
    entries, layout = build()
    check(entries, layout)
    write_bytes(os.path.join(ROOT, "data", "LNG", "M3.diz"), dictionary_text(entries).encode("utf-8"))
    write_bytes(os.path.join(ROOT, "data", "LNG", "M3.con"), b"0\r\n")
    write_bytes(os.path.join(ROOT, "src", "app", "DictionaryEntries.h"), header_text(layout).encode("utf-8"))
    write_bytes(os.path.join(ROOT, "docs", "dictionary.md"), docs_text(entries, layout).encode("utf-8"))
    print("M3.diz: %d languages x %d entries; T = %d (%d error texts); markers %s" % (
        len(LANGUAGES), len(entries), layout["T"], layout["T"] - FIRST_ERROR_TEXT,
        ", ".join("%s at %d" % kv for kv in layout["markers"].items())))


if __name__ == "__main__":
    main()
