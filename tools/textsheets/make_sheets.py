#!/usr/bin/env python3
"""Writes the shipped text sheets of the data folder's TXT/ subfolder:

  <type>_<series>_<LANG>.rtf     short tender text of a fan type
  <type>_<series>_SV_<LANG>.rtf  second variant: the full technical description
  <accessory type>_<LANG>.rtf    the accessory block text of the data sheet

for EN, DE and IT, every type and series pair of data/catalogue/tblFanTpSe.csv
and every accessory type of tblAccTypes.csv.

Tender texts hold placeholders that the program fills from the project:
"{name}" is the display value of a field, "{U:kind}" the user's unit of a unit
kind. The program puts one space on each side of a value, so the templates
below are written with natural spaces and the blank on each side of a
placeholder is taken out here. Accessory texts are printed as they are and
hold no placeholders.

Usage: tools/textsheets/make_sheets.py [--out data/folder/TXT] [--catalogue data/catalogue]
Standard library only. The files are plain RTF (Windows-1252, \\uN for the
rest) that word processors open.
"""
import argparse
import csv
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
LANGS = ("EN", "DE", "IT")

# ---- what each type and series is ------------------------------------------

SERIES = {
    "AXL": {
        "EN": "Light axial fan of the AXL series for general ventilation with low to medium pressures.",
        "DE": "Leichtaxialventilator der Baureihe AXL für die allgemeine Lüftung bei niedrigen bis mittleren Drücken.",
        "IT": "Ventilatore assiale leggero della serie AXL per la ventilazione generale a pressioni basse e medie.",
    },
    "AXM": {
        "EN": "Axial fan of the AXM series for ventilation and air-conditioning systems with medium pressures.",
        "DE": "Axialventilator der Baureihe AXM für Lüftungs- und Klimaanlagen bei mittleren Drücken.",
        "IT": "Ventilatore assiale della serie AXM per impianti di ventilazione e climatizzazione a media pressione.",
    },
    "AXH": {
        "EN": "High-pressure axial fan of the AXH series for systems with high pressure losses, such as long duct runs, filters and heat exchangers.",
        "DE": "Hochdruck-Axialventilator der Baureihe AXH für Anlagen mit hohen Druckverlusten wie lange Kanalnetze, Filter und Wärmetauscher.",
        "IT": "Ventilatore assiale ad alta pressione della serie AXH per impianti con elevate perdite di carico, come lunghe canalizzazioni, filtri e scambiatori di calore.",
    },
}

TYPES = {
    "AXL-S": {
        "EN": "Short cylindrical casing of galvanised sheet steel with flanges on both sides; motor in flange mounting form B14 on a support inside the casing.",
        "DE": "Kurzes zylindrisches Gehäuse aus verzinktem Stahlblech mit beidseitigen Flanschen; Motor in Flanschbauform B14 auf einer Konsole im Gehäuse.",
        "IT": "Cassa cilindrica corta in lamiera d'acciaio zincata con flange su entrambi i lati; motore in forma costruttiva B14 con flangia su un supporto interno alla cassa.",
    },
    "AXL-P": {
        "EN": "Square mounting plate of galvanised sheet steel with inlet nozzle, for wall and partition mounting; motor in flange mounting form B5 on a guard-type support.",
        "DE": "Quadratische Wandplatte aus verzinktem Stahlblech mit Einlaufdüse, für den Einbau in Wände und Trennwände; Motor in Flanschbauform B5 auf einem Tragegitter.",
        "IT": "Piastra quadrata di montaggio in lamiera d'acciaio zincata con boccaglio, per installazione a parete; motore in forma costruttiva B5 con flangia su una griglia di supporto.",
    },
    "AXM-S": {
        "EN": "Short cylindrical casing of hot-dip galvanised sheet steel with drilled flanges on both sides; motor in flange mounting form B5 on a welded support.",
        "DE": "Kurzes zylindrisches Gehäuse aus feuerverzinktem Stahlblech mit beidseitig gebohrten Flanschen; Motor in Flanschbauform B5 auf einer geschweißten Konsole.",
        "IT": "Cassa cilindrica corta in lamiera d'acciaio zincata a caldo con flange forate su entrambi i lati; motore in forma costruttiva B5 con flangia su un supporto saldato.",
    },
    "AXM-L": {
        "EN": "Long cylindrical casing of hot-dip galvanised sheet steel with drilled flanges on both sides and an inspection cover; foot-mounted motor in mounting form B3 on a base inside the casing.",
        "DE": "Langes zylindrisches Gehäuse aus feuerverzinktem Stahlblech mit beidseitig gebohrten Flanschen und Revisionsdeckel; Fußmotor in Bauform B3 auf einem Sockel im Gehäuse.",
        "IT": "Cassa cilindrica lunga in lamiera d'acciaio zincata a caldo con flange forate su entrambi i lati e portello d'ispezione; motore con piedi in forma costruttiva B3 su una base interna alla cassa.",
    },
    "AXH-L": {
        "EN": "Long, reinforced cylindrical casing of hot-dip galvanised sheet steel with drilled flanges on both sides and an inspection cover; foot-mounted motor in mounting form B3.",
        "DE": "Langes, verstärktes zylindrisches Gehäuse aus feuerverzinktem Stahlblech mit beidseitig gebohrten Flanschen und Revisionsdeckel; Fußmotor in Bauform B3.",
        "IT": "Cassa cilindrica lunga e rinforzata in lamiera d'acciaio zincata a caldo con flange forate su entrambi i lati e portello d'ispezione; motore con piedi in forma costruttiva B3.",
    },
    "AXH-G": {
        "EN": "Long, reinforced cylindrical casing of hot-dip galvanised sheet steel with a downstream guide vane assembly that recovers the swirl as static pressure; motor in mounting form B35.",
        "DE": "Langes, verstärktes zylindrisches Gehäuse aus feuerverzinktem Stahlblech mit nachgeschaltetem Leitrad, das den Drall in statischen Druck umsetzt; Motor in Bauform B35.",
        "IT": "Cassa cilindrica lunga e rinforzata in lamiera d'acciaio zincata a caldo con raddrizzatore a valle che recupera la rotazione del flusso in pressione statica; motore in forma costruttiva B35.",
    },
}

# ---- the two variants --------------------------------------------------------
# Lines: ("h", text) heading, ("p", text) paragraph, ("b", text) bullet item.

SHORT = {
    "EN": [
        ("t", "Axial fan {O_FanName}"),
        ("p", "{SERIES} {TYPE}"),
        ("p", "Impeller of {O_SizeD} mm diameter with {O_Blades} aerofoil blades of die-cast aluminium, "
              "blade angle {O_Angle}°, adjustable at standstill; statically and dynamically balanced."),
        ("p", "Duty: air flow {O_Airflow1} {U:VL} against a static pressure of {O_PresS1} {U:PA} "
              "(total pressure {O_PresT1} {U:PA}) at an air density of {I_BaseSpw} kg/m³ "
              "and {I_BaseTmp} {U:T}. Efficiency {O_Eta1} %, shaft power {O_Vkw1} {U:KW}, "
              "A-weighted sound power level {O_LwA1} dB(A)."),
        ("p", "Three-phase motor {O_MotName}, {O_S1MotKw} {U:KW}, {O_S1MotRpm} {U:UPM}, "
              "{I_Volt} V / {I_Frq} Hz, {O_S1MotAmp} A, protection {O_MotIP}, insulation class {O_MotIso}."),
        ("p", "Weight {O_SumKg} kg. Order code {O_Code}."),
    ],
    "DE": [
        ("t", "Axialventilator {O_FanName}"),
        ("p", "{SERIES} {TYPE}"),
        ("p", "Laufrad mit {O_SizeD} mm Durchmesser und {O_Blades} Profilschaufeln aus Aluminiumdruckguss, "
              "Schaufelwinkel {O_Angle}°, im Stillstand verstellbar; statisch und dynamisch ausgewuchtet."),
        ("p", "Betriebspunkt: Volumenstrom {O_Airflow1} {U:VL} bei einem statischen Druck von {O_PresS1} {U:PA} "
              "(Totaldruck {O_PresT1} {U:PA}), Luftdichte {I_BaseSpw} kg/m³ bei {I_BaseTmp} {U:T}. "
              "Wirkungsgrad {O_Eta1} %, Wellenleistung {O_Vkw1} {U:KW}, "
              "A-bewerteter Schallleistungspegel {O_LwA1} dB(A)."),
        ("p", "Drehstrommotor {O_MotName}, {O_S1MotKw} {U:KW}, {O_S1MotRpm} {U:UPM}, "
              "{I_Volt} V / {I_Frq} Hz, {O_S1MotAmp} A, Schutzart {O_MotIP}, Isolierstoffklasse {O_MotIso}."),
        ("p", "Gewicht {O_SumKg} kg. Bestellcode {O_Code}."),
    ],
    "IT": [
        ("t", "Ventilatore assiale {O_FanName}"),
        ("p", "{SERIES} {TYPE}"),
        ("p", "Girante con diametro di {O_SizeD} mm e {O_Blades} pale a profilo alare in pressofusione di alluminio, "
              "angolo delle pale {O_Angle}°, regolabile a ventilatore fermo; equilibrata staticamente e dinamicamente."),
        ("p", "Punto di lavoro: portata {O_Airflow1} {U:VL} con una pressione statica di {O_PresS1} {U:PA} "
              "(pressione totale {O_PresT1} {U:PA}), densità dell'aria {I_BaseSpw} kg/m³ a {I_BaseTmp} {U:T}. "
              "Rendimento {O_Eta1} %, potenza all'albero {O_Vkw1} {U:KW}, "
              "livello di potenza sonora ponderato A {O_LwA1} dB(A)."),
        ("p", "Motore trifase {O_MotName}, {O_S1MotKw} {U:KW}, {O_S1MotRpm} {U:UPM}, "
              "{I_Volt} V / {I_Frq} Hz, {O_S1MotAmp} A, protezione {O_MotIP}, classe d'isolamento {O_MotIso}."),
        ("p", "Peso {O_SumKg} kg. Codice d'ordine {O_Code}."),
    ],
}

FULL = {
    "EN": [
        ("t", "Specification: axial fan {O_FanName}"),
        ("p", "{SERIES}"),
        ("h", "Casing"),
        ("p", "{TYPE} Flanges to EN 12220, drilled; all seams continuously welded. "
              "Air direction {I_AirDir}."),
        ("h", "Impeller"),
        ("p", "Impeller of {O_SizeD} mm diameter with {O_Blades} aerofoil blades of die-cast aluminium on a hub of "
              "die-cast aluminium; blade angle {O_Angle}°, adjustable at standstill. Balanced to grade G 6.3 "
              "of ISO 21940-11. Tip clearance below 1 % of the impeller diameter."),
        ("h", "Operating data"),
        ("b", "Air flow {O_Airflow1} {U:VL}"),
        ("b", "Static pressure {O_PresS1} {U:PA}, total pressure {O_PresT1} {U:PA}, dynamic pressure {O_PresD1} {U:PA}"),
        ("b", "Outlet velocity {O_Velo1} {U:VEL}"),
        ("b", "Efficiency {O_Eta1} %, shaft power {O_Vkw1} {U:KW}"),
        ("b", "Air conditions: {I_BaseTmp} {U:T}, {I_BaseSea} m above sea level, {I_BaseBar} {U:BAR}, "
              "relative humidity {I_BaseRf} {U:RF}, density {I_BaseSpw} kg/m³"),
        ("h", "Sound"),
        ("p", "Sound power level {O_Lw1} dB, A-weighted {O_LwA1} dB(A), measured to ISO 5136 "
              "and split into octave bands on the data sheet."),
        ("h", "Motor"),
        ("p", "Totally enclosed three-phase induction motor {O_MotName} by {O_MotFab}, frame size {O_MotBgr}, "
              "mounting form {O_MotBFrm}; {O_S1MotKw} {U:KW} at {O_S1MotRpm} {U:UPM}, {O_S1MotAmp} A, "
              "motor efficiency {O_S1MotEta} %; supply {I_Volt} V / {I_Frq} Hz. Protection {O_MotIP}, "
              "insulation class {O_MotIso}. Terminal box on the outside of the casing, wired and ready for connection."),
        ("h", "Weight and testing"),
        ("p", "Total weight {O_SumKg} kg (fan {O_FanKg} kg, motor {O_MotKg} kg). Each fan is test-run in the works "
              "before dispatch."),
        ("p", "Order code: {O_Code}"),
    ],
    "DE": [
        ("t", "Ausschreibung: Axialventilator {O_FanName}"),
        ("p", "{SERIES}"),
        ("h", "Gehäuse"),
        ("p", "{TYPE} Flansche nach EN 12220, gebohrt; alle Nähte durchgehend verschweißt. "
              "Luftrichtung {I_AirDir}."),
        ("h", "Laufrad"),
        ("p", "Laufrad mit {O_SizeD} mm Durchmesser und {O_Blades} Profilschaufeln aus Aluminiumdruckguss auf einer "
              "Nabe aus Aluminiumdruckguss; Schaufelwinkel {O_Angle}°, im Stillstand verstellbar. Ausgewuchtet "
              "nach Gütestufe G 6,3 der ISO 21940-11. Spaltmaß unter 1 % des Laufraddurchmessers."),
        ("h", "Betriebsdaten"),
        ("b", "Volumenstrom {O_Airflow1} {U:VL}"),
        ("b", "Statischer Druck {O_PresS1} {U:PA}, Totaldruck {O_PresT1} {U:PA}, dynamischer Druck {O_PresD1} {U:PA}"),
        ("b", "Austrittsgeschwindigkeit {O_Velo1} {U:VEL}"),
        ("b", "Wirkungsgrad {O_Eta1} %, Wellenleistung {O_Vkw1} {U:KW}"),
        ("b", "Luftzustand: {I_BaseTmp} {U:T}, {I_BaseSea} m über dem Meeresspiegel, {I_BaseBar} {U:BAR}, "
              "relative Feuchte {I_BaseRf} {U:RF}, Dichte {I_BaseSpw} kg/m³"),
        ("h", "Schall"),
        ("p", "Schallleistungspegel {O_Lw1} dB, A-bewertet {O_LwA1} dB(A), gemessen nach ISO 5136, "
              "Oktavbandpegel siehe Datenblatt."),
        ("h", "Motor"),
        ("p", "Oberflächengekühlter Drehstrom-Asynchronmotor {O_MotName} von {O_MotFab}, Baugröße {O_MotBgr}, "
              "Bauform {O_MotBFrm}; {O_S1MotKw} {U:KW} bei {O_S1MotRpm} {U:UPM}, {O_S1MotAmp} A, "
              "Motorwirkungsgrad {O_S1MotEta} %; Netz {I_Volt} V / {I_Frq} Hz. Schutzart {O_MotIP}, "
              "Isolierstoffklasse {O_MotIso}. Klemmenkasten außen am Gehäuse, anschlussfertig verdrahtet."),
        ("h", "Gewicht und Prüfung"),
        ("p", "Gesamtgewicht {O_SumKg} kg (Ventilator {O_FanKg} kg, Motor {O_MotKg} kg). Jeder Ventilator wird vor "
              "dem Versand im Werk probegelaufen."),
        ("p", "Bestellcode: {O_Code}"),
    ],
    "IT": [
        ("t", "Capitolato: ventilatore assiale {O_FanName}"),
        ("p", "{SERIES}"),
        ("h", "Cassa"),
        ("p", "{TYPE} Flange secondo EN 12220, forate; tutte le giunzioni saldate in continuo. "
              "Direzione dell'aria {I_AirDir}."),
        ("h", "Girante"),
        ("p", "Girante con diametro di {O_SizeD} mm e {O_Blades} pale a profilo alare in pressofusione di alluminio "
              "su mozzo in pressofusione di alluminio; angolo delle pale {O_Angle}°, regolabile a ventilatore fermo. "
              "Equilibrata con grado G 6,3 secondo ISO 21940-11. Gioco all'estremità delle pale inferiore "
              "all'1 % del diametro della girante."),
        ("h", "Dati di funzionamento"),
        ("b", "Portata {O_Airflow1} {U:VL}"),
        ("b", "Pressione statica {O_PresS1} {U:PA}, pressione totale {O_PresT1} {U:PA}, pressione dinamica {O_PresD1} {U:PA}"),
        ("b", "Velocità di uscita {O_Velo1} {U:VEL}"),
        ("b", "Rendimento {O_Eta1} %, potenza all'albero {O_Vkw1} {U:KW}"),
        ("b", "Condizioni dell'aria: {I_BaseTmp} {U:T}, {I_BaseSea} m sul livello del mare, {I_BaseBar} {U:BAR}, "
              "umidità relativa {I_BaseRf} {U:RF}, densità {I_BaseSpw} kg/m³"),
        ("h", "Rumore"),
        ("p", "Livello di potenza sonora {O_Lw1} dB, ponderato A {O_LwA1} dB(A), misurato secondo ISO 5136; "
              "i livelli per banda d'ottava sono riportati nella scheda tecnica."),
        ("h", "Motore"),
        ("p", "Motore asincrono trifase chiuso autoventilato {O_MotName} di {O_MotFab}, grandezza {O_MotBgr}, "
              "forma costruttiva {O_MotBFrm}; {O_S1MotKw} {U:KW} a {O_S1MotRpm} {U:UPM}, {O_S1MotAmp} A, "
              "rendimento del motore {O_S1MotEta} %; alimentazione {I_Volt} V / {I_Frq} Hz. Protezione {O_MotIP}, "
              "classe d'isolamento {O_MotIso}. Morsettiera all'esterno della cassa, cablata e pronta per il collegamento."),
        ("h", "Peso e collaudo"),
        ("p", "Peso totale {O_SumKg} kg (ventilatore {O_FanKg} kg, motore {O_MotKg} kg). Ogni ventilatore viene "
              "provato in fabbrica prima della spedizione."),
        ("p", "Codice d'ordine: {O_Code}"),
    ],
}

ACCESSORIES = {
    "GRD": {
        "EN": "Protection guard of steel wire, hot-dip galvanised, to EN ISO 13857 for the inlet or outlet side. Mounted directly on the casing flange; low pressure drop thanks to the wide mesh.",
        "DE": "Schutzgitter aus Stahldraht, feuerverzinkt, nach EN ISO 13857 für die Saug- oder Druckseite. Direkt am Gehäuseflansch montiert; geringer Druckverlust dank weiter Maschen.",
        "IT": "Rete di protezione in filo d'acciaio zincato a caldo secondo EN ISO 13857, per il lato aspirazione o mandata. Montata direttamente sulla flangia della cassa; bassa perdita di carico grazie alla maglia larga.",
    },
    "SIL": {
        "EN": "Cylindrical silencer of galvanised sheet steel with a perforated inner tube and non-combustible mineral wool lining (class A1), flanges on both sides. Reduces the fan's duct-borne noise, above all in the middle and high octave bands.",
        "DE": "Rohrschalldämpfer aus verzinktem Stahlblech mit gelochtem Innenrohr und nicht brennbarer Mineralwolle (Klasse A1), beidseitig mit Flanschen. Mindert den Kanalschall des Ventilators, vor allem in den mittleren und hohen Oktavbändern.",
        "IT": "Silenziatore cilindrico in lamiera d'acciaio zincata con tubo interno forato e materassino di lana minerale incombustibile (classe A1), flangiato su entrambi i lati. Riduce il rumore del ventilatore trasmesso nel canale, soprattutto nelle bande d'ottava medie e alte.",
    },
    "DMP": {
        "EN": "Backdraft shutter with gravity-operated aluminium blades in a galvanised steel frame. Opens under the fan's air flow and closes when the fan stops, so that no air flows back.",
        "DE": "Rückschlagklappe mit schwerkraftbetätigten Aluminiumlamellen in einem Rahmen aus verzinktem Stahl. Öffnet durch den Luftstrom des Ventilators und schließt beim Stillstand, sodass keine Luft zurückströmt.",
        "IT": "Serranda a gravità con alette in alluminio in telaio d'acciaio zincato. Si apre con il flusso d'aria del ventilatore e si chiude all'arresto, impedendo il riflusso dell'aria.",
    },
    "BND": {
        "EN": "90° bend of galvanised sheet steel with flanges on both sides, in the fan's diameter, for changing the direction of the duct close to the fan.",
        "DE": "Bogen 90° aus verzinktem Stahlblech mit beidseitigen Flanschen im Durchmesser des Ventilators, zur Richtungsänderung des Kanals nahe am Ventilator.",
        "IT": "Curva a 90° in lamiera d'acciaio zincata flangiata su entrambi i lati, nel diametro del ventilatore, per cambiare la direzione del canale vicino al ventilatore.",
    },
    "FLX": {
        "EN": "Flexible connector of coated polyester fabric between two galvanised flanges. Keeps the fan's vibration away from the duct and takes up small misalignments.",
        "DE": "Elastischer Stutzen aus beschichtetem Polyestergewebe zwischen zwei verzinkten Flanschen. Hält die Schwingungen des Ventilators vom Kanal fern und gleicht kleine Versätze aus.",
        "IT": "Giunto antivibrante in tessuto di poliestere spalmato tra due flange zincate. Impedisce la trasmissione delle vibrazioni del ventilatore al canale e compensa piccoli disallineamenti.",
    },
    "INC": {
        "EN": "Inlet cone of spun galvanised sheet steel for free inlet. Guides the air smoothly onto the impeller and so keeps the stated performance and sound data.",
        "DE": "Einströmdüse aus gedrücktem, verzinktem Stahlblech für freie Ansaugung. Führt die Luft gleichmäßig auf das Laufrad und sichert so die angegebenen Leistungs- und Schalldaten.",
        "IT": "Boccaglio d'aspirazione in lamiera d'acciaio zincata imbutita per aspirazione libera. Convoglia l'aria in modo uniforme sulla girante, garantendo le prestazioni e i dati acustici dichiarati.",
    },
    "CFL": {
        "EN": "Counter flange of galvanised steel, drilled to match the casing flange, for connecting the fan to a duct or to further accessories.",
        "DE": "Gegenflansch aus verzinktem Stahl, passend zum Gehäuseflansch gebohrt, zum Anschluss des Ventilators an einen Kanal oder an weiteres Zubehör.",
        "IT": "Controflangia in acciaio zincato, forata come la flangia della cassa, per il collegamento del ventilatore a un canale o ad altri accessori.",
    },
    "AVM": {
        "EN": "Set of anti-vibration mounts of natural rubber with threaded studs, chosen for the weight of the fan and motor. Reduces structure-borne noise in the building.",
        "DE": "Satz Schwingungsdämpfer aus Naturkautschuk mit Gewindebolzen, ausgelegt auf das Gewicht von Ventilator und Motor. Mindert den Körperschall im Gebäude.",
        "IT": "Serie di supporti antivibranti in gomma naturale con perni filettati, dimensionati sul peso di ventilatore e motore. Riducono il rumore trasmesso per via strutturale all'edificio.",
    },
    "REP": {
        "EN": "Lockable repair switch in a plastic housing (IP65), mounted on the casing and wired to the motor, for safe isolation during maintenance.",
        "DE": "Abschließbarer Reparaturschalter im Kunststoffgehäuse (IP65), am Gehäuse montiert und mit dem Motor verdrahtet, zum sicheren Freischalten bei Wartungsarbeiten.",
        "IT": "Interruttore di servizio lucchettabile in custodia di plastica (IP65), montato sulla cassa e cablato al motore, per il sezionamento sicuro durante la manutenzione.",
    },
    "SPC": {
        "EN": "Speed controller (frequency inverter) in a wall-mounted housing with EMC filter and 0-10 V input, for stepless adjustment of the air flow to the demand.",
        "DE": "Drehzahlsteller (Frequenzumrichter) im Wandgehäuse mit EMV-Filter und 0-10-V-Eingang, zur stufenlosen Anpassung des Volumenstroms an den Bedarf.",
        "IT": "Regolatore di velocità (inverter) in custodia a parete con filtro EMC e ingresso 0-10 V, per adattare la portata al fabbisogno in modo continuo.",
    },
}

ACC_TITLE = {"EN": "Description", "DE": "Beschreibung", "IT": "Descrizione"}

# ---- RTF ---------------------------------------------------------------------

HEADER = (r"{\rtf1\ansi\ansicpg1252\deff0\uc1"
          r"{\fonttbl{\f0\fswiss\fcharset0 Arial;}}"
          r"{\colortbl;\red31\green63\blue143;\red64\green64\blue64;}"
          "\r\n")


def esc(text):
    """Text as RTF: escapes, Windows-1252 as \\'hh, anything else as \\uN?."""
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif " " <= ch <= "~":
            out.append(ch)
        else:
            try:
                b = ch.encode("cp1252")
                out.append("\\'%02x" % b[0])
            except UnicodeEncodeError:
                n = ord(ch)
                out.append("\\u%d?" % (n - 65536 if n > 32767 else n))
    return "".join(out)


PLACEHOLDER = re.compile(r" ?\{([A-Za-z0-9_:]+)\} ?")


def fill_template(text, series, typ, lang):
    text = text.replace("{SERIES}", SERIES[series][lang]).replace("{TYPE}", TYPES[typ][lang])
    # The program puts a space on each side of a value: take out the blanks here.
    parts = []
    last = 0
    for m in PLACEHOLDER.finditer(text):
        parts.append(esc(text[last:m.start()]))
        parts.append("\\{" + m.group(1) + "\\}")
        last = m.end()
    parts.append(esc(text[last:]))
    return "".join(parts)


def sheet(lines, series, typ, lang):
    body = [HEADER, r"\viewkind4\pard\sl276\slmult1\sa120\f0\fs20" + "\r\n"]
    for kind, text in lines:
        t = fill_template(text, series, typ, lang)
        if kind == "t":
            body.append(r"\pard\sa200{\b\fs28\cf1 " + t + r"}\par" + "\r\n")
        elif kind == "h":
            body.append(r"\pard\sb160\sa60{\b\fs22\cf1 " + t + r"}\par" + "\r\n")
        elif kind == "b":
            body.append(r"\pard\li280\fi-200\sa40 \'95  " + t + r"\par" + "\r\n")
        else:
            body.append(r"\pard\sa120 " + t + r"\par" + "\r\n")
    body.append("}\r\n")
    return "".join(body)


def accessory(code, lang):
    return (HEADER + r"\viewkind4\pard\sa40\f0\fs16{\b\cf2 " + esc(ACC_TITLE[lang]) + r"}\par" + "\r\n" +
            r"\pard\fs16 " + esc(ACCESSORIES[code][lang]) + r"\par" + "\r\n}\r\n")


def rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        lines = [l for l in f if l.strip() and not l.startswith("#")]
    return list(csv.DictReader(lines, delimiter=";"))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", default=os.path.join(ROOT, "data", "folder", "TXT"))
    ap.add_argument("--catalogue", default=os.path.join(ROOT, "data", "catalogue"))
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    written = 0

    def write(name, text):
        nonlocal written
        with open(os.path.join(a.out, name), "w", encoding="ascii", newline="") as f:
            f.write(text)
        written += 1

    for r in rows(os.path.join(a.catalogue, "tblFanTpSe.csv")):
        series, typ = r["TsCode"], r["TpCode"]
        if series not in SERIES or typ not in TYPES:
            raise SystemExit("no text for %s/%s: add it to tools/textsheets/make_sheets.py" % (typ, series))
        for lang in LANGS:
            write("%s_%s_%s.rtf" % (typ, series, lang), sheet(SHORT[lang], series, typ, lang))
            write("%s_%s_SV_%s.rtf" % (typ, series, lang), sheet(FULL[lang], series, typ, lang))
    for r in rows(os.path.join(a.catalogue, "tblAccTypes.csv")):
        code = r["ActCode"]
        if code not in ACCESSORIES:
            raise SystemExit("no text for accessory type %s: add it to tools/textsheets/make_sheets.py" % code)
        for lang in LANGS:
            write("%s_%s.rtf" % (code, lang), accessory(code, lang))
    print("wrote %d files to %s" % (written, a.out))


if __name__ == "__main__":
    main()
