#!/usr/bin/env python3
"""Writes the shipped print layouts of the data folder:

  TDAXIAL_<lang>.txt   fan data sheet, one motor speed
  TDAXIAL2_<lang>.txt  fan data sheet, two motor speeds
  TXAXIAL_<lang>.txt   text sheet (the RTF tender text)

for EN, DE and IT. One page plan serves the three languages; only the labels
differ. The files are plain layouts: edit them by hand if you like, or change
the plan here and run

  tools/layouts/make_layouts.py [--out data/folder]

Positions are millimetres from the top-left margin; A4 with the margins of
the MARGIN line leaves 183 mm x 273 mm. docs/layout-language.md describes the
language. Standard library only.
"""
import argparse
import os

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

W = 183.0          # printable width
FOOT = 263.0       # footer rule

LABELS = {
    "EN": dict(
        title="Fan data sheet", text_title="Specification text",
        project="Project", item="Item no.", item_text="Item text", date="Date", client="Client",
        client_tel="Telephone", contact="Contact", mail="E-mail", tel="Tel.", fax="Fax",
        sec_fan="Fan", code="Order code", type="Type", casing="Casing", impeller="Impeller diameter",
        blades="Number of blades", angle="Blade angle", airdir="Air direction", poles="Poles",
        sec_duty="Duty and air conditions", airflow="Airflow", static="Static pressure",
        total="Total pressure", temp="Temperature", altitude="Altitude", air_press="Air pressure",
        humidity="Humidity", density="Air density", supply="Supply",
        sec_op="Operating data", dynamic="Dynamic pressure", acc_drop="Pressure drop accessories",
        reserve="Pressure reserve", velocity="Outlet velocity", eta="Efficiency", shaft="Shaft power",
        shaft_max="Max. shaft power", speed="Speed", lw="Sound power level", lwa="Sound power level (A)",
        speed1="Speed 1", speed2="Speed 2",
        sec_motor="Motor", mot_type="Motor type", maker="Manufacturer", frame="Frame size",
        mounting="Mounting form", connection="Connection", mot_len="Motor length", rated="Rated power",
        current="Rated current", ia="Starting current Ia/In", mot_eta="Motor efficiency",
        insulation="Insulation class", protection="Protection", ex="Explosion protection",
        step="Step", mot_poles="Poles",
        sec_sound="Sound data", band="Octave band [Hz]", sum="Total", lp_note="LpA: free field, distance",
        sec_price="Prices and weights", price="Price", weight="Weight", fan="Fan", motor="Motor",
        acc="Accessories", rebate="Rebate", price_list="Price list", delivery="Delivery time",
        remark="Remark", sec_notes="Notes",
        sec_chart="Performance chart", sec_dims="Dimensions", dims_mm="Dimensions [mm]",
        dims_note="L1, L2, K: depending on the motor frame size.",
        page="Page", qty="Quantity", article="Article", net="Net price", acc_dims="Dimensions",
        printed="Aerolyx",
    ),
    "DE": dict(
        title="Ventilator-Datenblatt", text_title="Ausschreibungstext",
        project="Projekt", item="Position", item_text="Positionstext", date="Datum", client="Kunde",
        client_tel="Telefon", contact="Bearbeiter", mail="E-Mail", tel="Tel.", fax="Fax",
        sec_fan="Ventilator", code="Bestellcode", type="Typ", casing="Gehäuse", impeller="Laufraddurchmesser",
        blades="Schaufelzahl", angle="Schaufelwinkel", airdir="Luftrichtung", poles="Polzahl",
        sec_duty="Betriebspunkt und Luftzustand", airflow="Volumenstrom", static="Statischer Druck",
        total="Totaldruck", temp="Temperatur", altitude="Höhe über Meer", air_press="Luftdruck",
        humidity="Luftfeuchte", density="Luftdichte", supply="Stromversorgung",
        sec_op="Betriebsdaten", dynamic="Dynamischer Druck", acc_drop="Druckverlust Zubehör",
        reserve="Druckreserve", velocity="Austrittsgeschwindigkeit", eta="Wirkungsgrad",
        shaft="Wellenleistung", shaft_max="Wellenleistung max.", speed="Drehzahl",
        lw="Schallleistungspegel", lwa="Schallleistungspegel (A)",
        speed1="Drehzahl 1", speed2="Drehzahl 2",
        sec_motor="Motor", mot_type="Motortyp", maker="Hersteller", frame="Baugröße",
        mounting="Bauform", connection="Schaltung", mot_len="Motorlänge", rated="Nennleistung",
        current="Nennstrom", ia="Anlaufstrom Ia/In", mot_eta="Motorwirkungsgrad",
        insulation="Isolationsklasse", protection="Schutzart", ex="Explosionsschutz",
        step="Stufe", mot_poles="Polzahl",
        sec_sound="Schalldaten", band="Oktavband [Hz]", sum="Gesamt", lp_note="LpA: Freifeld, Abstand",
        sec_price="Preise und Gewichte", price="Preis", weight="Gewicht", fan="Ventilator", motor="Motor",
        acc="Zubehör", rebate="Rabatt", price_list="Preisliste", delivery="Lieferzeit",
        remark="Hinweis", sec_notes="Bemerkungen",
        sec_chart="Kennlinie", sec_dims="Abmessungen", dims_mm="Maße [mm]",
        dims_note="L1, L2, K: abhängig von der Motorbaugröße.",
        page="Seite", qty="Menge", article="Artikel", net="Nettopreis", acc_dims="Maße",
        printed="Aerolyx",
    ),
    "IT": dict(
        title="Scheda tecnica ventilatore", text_title="Testo di capitolato",
        project="Progetto", item="Posizione", item_text="Testo posizione", date="Data", client="Cliente",
        client_tel="Telefono", contact="Referente", mail="E-mail", tel="Tel.", fax="Fax",
        sec_fan="Ventilatore", code="Codice d'ordine", type="Tipo", casing="Cassa", impeller="Diametro girante",
        blades="Numero di pale", angle="Angolo pale", airdir="Direzione dell'aria", poles="Poli",
        sec_duty="Punto di lavoro, condizioni aria", airflow="Portata d'aria",
        static="Pressione statica", total="Pressione totale", temp="Temperatura", altitude="Altitudine",
        air_press="Pressione atmosferica", humidity="Umidità", density="Densità dell'aria",
        supply="Alimentazione",
        sec_op="Dati di funzionamento", dynamic="Pressione dinamica", acc_drop="Perdita di carico accessori",
        reserve="Riserva di pressione", velocity="Velocità di uscita", eta="Rendimento",
        shaft="Potenza all'albero", shaft_max="Potenza max. all'albero", speed="Velocità di rotazione",
        lw="Livello di potenza sonora", lwa="Potenza sonora (A)",
        speed1="Velocità 1", speed2="Velocità 2",
        sec_motor="Motore", mot_type="Tipo motore", maker="Costruttore", frame="Grandezza",
        mounting="Forma costruttiva", connection="Collegamento", mot_len="Lunghezza motore",
        rated="Potenza nominale", current="Corrente nominale", ia="Corrente di spunto Ia/In",
        mot_eta="Rendimento motore", insulation="Classe di isolamento", protection="Grado di protezione",
        ex="Protezione antideflagrante", step="Stadio", mot_poles="Poli",
        sec_sound="Dati acustici", band="Banda d'ottava [Hz]", sum="Totale",
        lp_note="LpA: campo libero, distanza",
        sec_price="Prezzi e pesi", price="Prezzo", weight="Peso", fan="Ventilatore", motor="Motore",
        acc="Accessori", rebate="Sconto", price_list="Listino", delivery="Tempi di consegna",
        remark="Nota", sec_notes="Note",
        sec_chart="Curva caratteristica", sec_dims="Dimensioni", dims_mm="Quote [mm]",
        dims_note="L1, L2, K: in funzione della grandezza motore.",
        page="Pagina", qty="Quantità", article="Articolo", net="Prezzo netto", acc_dims="Quote",
        printed="Aerolyx",
    ),
}


def num(v):
    s = ("%.1f" % v)
    return s[:-2] if s.endswith(".0") else s


class Layout:
    def __init__(self):
        self.lines = []

    def raw(self, s=""):
        self.lines.append(s)

    def cmd(self, kw, *args):
        self.lines.append(kw + " " + ";".join(num(a) if isinstance(a, (int, float)) else str(a) for a in args))

    def text(self, x, y, font, align, s):
        assert ";" not in s and "/*" not in s, s
        self.cmd("TEXT", x, y, font, align, s)

    def field(self, x, y, font, align, name):
        self.cmd("FIELD", x, y, font, align, name)

    def fieldr(self, x, y, font, align, name):
        self.cmd("FIELDR", x, y, font, align, name)

    def unit(self, x, y, font, align, kind, brackets=False):
        if brackets:
            self.cmd("UNIT", x, y, font, align, kind, 1)
        else:
            self.cmd("UNIT", x, y, font, align, kind)

    def line(self, x1, y1, x2, y2, w=5):
        self.cmd("LINE", x1, y1, x2, y2, w)

    def image(self, x, y, w, h, name):
        self.cmd("IMAGE", x, y, w, h, name)

    def if_(self, name, op, value=""):
        self.cmd("IF", name, op, value)

    def endif(self):
        self.raw("ENDIF")

    def heading(self, x, y, s, x2=W):
        self.text(x, y, 4, "L", s)
        self.line(x, y + 5.5, x2, y + 5.5, 10)

    # a label / value / unit row; unit: ("U", kind) user unit, ("T", text), ("F", name) a field
    def row(self, y, col, label, name, unit=None, text_value=False):
        xl, xv, xu = col
        self.text(xl, y + LIFT, 5, "L", label)
        if text_value:
            self.field(xv, y, 1, "L", name)
        else:
            self.field(xv, y, 1, "R", name)
        if unit:
            kind, what = unit
            if kind == "U":
                self.unit(xu, y + LIFT, 5, "L", what)
            elif kind == "T":
                self.text(xu, y + LIFT, 5, "L", what)
            elif kind == "F":
                self.field(xu, y + LIFT, 5, "L", what)

    def text_out(self):
        return "\r\n".join(self.lines) + "\r\n"


ROW = 4.2
LIFT = 0.3                  # 8 pt labels next to 9 pt values: same baseline
LEFT = (0, 72, 74)          # label x, value right edge, unit x
LEFT_TEXT = (0, 34, 0)      # label x, text value left edge
RIGHT = (95, 163, 165)
RIGHT_TEXT = (95, 128, 0)


def fonts(L):
    L.raw("/* fonts: n;name;size;bold;italic;underline;colour (&HBBGGRR as a number);unused;charset")
    L.cmd("FONT", 1, "Arial", 9, 0, 0, 0, 0, 0, 0)
    L.cmd("FONT", 2, "Arial", 9, 1, 0, 0, 0, 0, 0)
    L.cmd("FONT", 3, "Arial", 16, 1, 0, 0, 8473615, 0, 0)      # dark blue
    L.cmd("FONT", 4, "Arial", 11, 1, 0, 0, 8473615, 0, 0)
    L.cmd("FONT", 5, "Arial", 8, 0, 0, 0, 4210752, 0, 0)       # dark grey
    L.cmd("FONT", 6, "Arial", 8, 0, 0, 0, 0, 0, 0)
    L.cmd("FONT", 7, "Arial", 12, 1, 0, 0, 0, 0, 0)
    L.cmd("FONT", 8, "Arial", 8, 1, 0, 0, 0, 0, 0)
    L.cmd("FONT", 9, "Arial", 7, 0, 1, 0, 4210752, 0, 0)


def company_header(L, t):
    L.raw("/* company header: logo and the user's company details")
    L.image(0, 0, 50, 15, "MYLOGO")
    L.field(100, 0, 8, "L", "MYNAME")
    L.field(100, 3.6, 5, "L", "MYADDRESS")
    L.field(100, 7.2, 5, "L", "MYCITY")
    for i, (lab, name) in enumerate(((t["tel"], "MYTEL"), (t["fax"], "MYFAX"), (t["mail"], "MYMAIL"))):
        L.text(143, i * 3.6, 5, "L", lab)
        L.field(W, i * 3.6, 5, "R", name)
    L.line(0, 18, W, 18, 20)


def page_header_and_footer(L, t, footer=True):
    L.raw("/* page header (from page 2 on) and footer, replayed on every new page")
    L.raw("HEADER_START")
    L.if_("PAGE", ">", 1)
    L.image(0, 0, 33, 9.9, "MYLOGO")
    L.field(W, 0, 7, "R", "O_FanName")
    L.field(W, 5.5, 5, "R", "I_Project")
    L.line(0, 11, W, 11, 10)
    L.endif()
    if footer:
        L.line(0, FOOT, W, FOOT, 5)
        L.field(0, FOOT + 1.5, 5, "L", "MYNAME")
        L.text(0, FOOT + 5, 9, "L", t["printed"])
        L.field(11, FOOT + 5, 9, "L", "VERSION")
        L.field(W / 2, FOOT + 1.5, 5, "C", "DATE")
        L.text(174, FOOT + 1.5, 5, "R", t["page"])
        L.field(175, FOOT + 1.5, 5, "L", "PAGE")
    L.raw("HEADER_END")


def project_block(L, t, y):
    L.raw("/* project and client; optional rows last so that gaps stay at the bottom")
    L.row(y, LEFT_TEXT, t["project"], "I_Project", text_value=True)
    L.row(y + ROW, LEFT_TEXT, t["date"], "I_Date", text_value=True)
    L.if_("I_PosLV", "<>")
    L.row(y + 2 * ROW, LEFT_TEXT, t["item"], "I_PosLV", text_value=True)
    L.endif()
    L.if_("I_PosTx", "<>")
    L.row(y + 3 * ROW, LEFT_TEXT, t["item_text"], "I_PosTx", text_value=True)
    L.endif()
    L.if_("I_ClientName", "<>")
    L.row(y, RIGHT_TEXT, t["client"], "I_ClientName", text_value=True)
    L.endif()
    L.if_("I_ClientTel", "<>")
    L.row(y + ROW, RIGHT_TEXT, t["client_tel"], "I_ClientTel", text_value=True)
    L.endif()
    L.if_("I_UserName", "<>")
    L.row(y + 2 * ROW, RIGHT_TEXT, t["contact"], "I_UserName", text_value=True)
    L.endif()
    L.if_("I_UserMail", "<>")
    L.row(y + 3 * ROW, RIGHT_TEXT, t["mail"], "I_UserMail", text_value=True)
    L.endif()


def fan_and_duty(L, t, y, two_speeds):
    L.heading(0, y, t["sec_fan"], 88)
    L.heading(95, y, t["sec_duty"])
    y0 = y + 7.5
    r = y0
    L.row(r, LEFT_TEXT, t["code"], "O_Code", text_value=True)
    L.row(r + ROW, LEFT_TEXT, t["type"], "O_Type", text_value=True)
    L.if_("O_CType", "<>")
    L.row(r + 2 * ROW, LEFT_TEXT, t["casing"], "O_CType", text_value=True)
    L.endif()
    L.row(r + 3 * ROW, LEFT, t["impeller"], "O_SizeD", ("T", "mm"))
    L.row(r + 4 * ROW, LEFT, t["blades"], "O_Blades")
    L.row(r + 5 * ROW, LEFT, t["angle"], "O_Angle", ("T", "°"))
    L.row(r + 6 * ROW, LEFT_TEXT, t["airdir"], "I_AirDir", text_value=True)
    L.row(r + 7 * ROW, LEFT_TEXT, t["poles"], "MOTPOLTXT", text_value=True)

    L.raw("/* duty: the static or the total pressure was given")
    L.row(y0, RIGHT, t["airflow"], "I_AirFlow", ("U", "VL"))
    L.if_("I_PresS", ">", 0)
    L.row(y0 + ROW, RIGHT, t["static"], "I_PresS", ("U", "PA"))
    L.endif()
    L.if_("I_PresT", ">", 0)
    L.if_("I_PresS", "<=", 0)
    L.row(y0 + ROW, RIGHT, t["total"], "I_PresT", ("U", "PA"))
    L.endif()
    L.endif()
    L.row(y0 + 2 * ROW, RIGHT, t["temp"], "I_BaseTmp", ("U", "T"))
    L.row(y0 + 3 * ROW, RIGHT, t["altitude"], "I_BaseSea", ("T", "m"))
    L.row(y0 + 4 * ROW, RIGHT, t["air_press"], "I_BaseBar", ("U", "BAR"))
    L.row(y0 + 5 * ROW, RIGHT, t["humidity"], "I_BaseRf", ("U", "RF"))
    L.row(y0 + 6 * ROW, RIGHT, t["density"], "I_BaseSpw", ("T", "kg/m³"))
    L.row(y0 + 7 * ROW, RIGHT_TEXT, t["supply"], "SUPPLYTXT", text_value=True)
    return r + 8 * ROW


def op_data_one(L, t, y):
    L.heading(0, y, t["sec_op"])
    r = y + 7.5
    L.row(r, LEFT, t["airflow"], "O_Airflow1", ("U", "VL"))
    L.row(r + ROW, LEFT, t["static"], "O_PresS1", ("U", "PA"))
    L.row(r + 2 * ROW, LEFT, t["total"], "O_PresT1", ("U", "PA"))
    L.row(r + 3 * ROW, LEFT, t["dynamic"], "O_PresD1", ("U", "PA"))
    L.row(r + 4 * ROW, LEFT, t["reserve"], "O_PresDif1", ("U", "PA"))
    L.if_("O_PresAc1", ">", 0)
    L.row(r + 5 * ROW, LEFT, t["acc_drop"], "O_PresAc1", ("U", "PA"))
    L.endif()
    L.row(r, RIGHT, t["velocity"], "O_Velo1", ("U", "VEL"))
    L.row(r + ROW, RIGHT, t["eta"], "O_Eta1", ("T", "%"))
    L.row(r + 2 * ROW, RIGHT, t["shaft"], "O_Vkw1", ("U", "KW"))
    L.row(r + 3 * ROW, RIGHT, t["shaft_max"], "O_Vkw1m", ("U", "KW"))
    L.row(r + 4 * ROW, RIGHT, t["speed"], "O_S1MotRpm", ("U", "UPM"))
    L.row(r + 5 * ROW, RIGHT, t["lw"], "O_Lw1", ("T", "dB"))
    L.row(r + 6 * ROW, RIGHT, t["lwa"], "O_LwA1", ("T", "dB(A)"))
    return r + 7 * ROW


def op_data_two(L, t, y):
    L.heading(0, y, t["sec_op"])
    r = y + 7.5
    x1, x2, xu = 118, 150, 153
    L.text(x1, r, 8, "R", t["speed1"])
    L.text(x2, r, 8, "R", t["speed2"])
    L.line(0, r + 3.9, W, r + 3.9, 3)
    rows = [
        (t["poles"], "O_FanPol1", "O_FanPol2", None),
        (t["airflow"], "O_Airflow1", "O_Airflow2", ("U", "VL")),
        (t["static"], "O_PresS1", "O_PresS2", ("U", "PA")),
        (t["total"], "O_PresT1", "O_PresT2", ("U", "PA")),
        (t["dynamic"], "O_PresD1", "O_PresD2", ("U", "PA")),
        (t["reserve"], "O_PresDif1", "O_PresDif2", ("U", "PA")),
        (t["velocity"], "O_Velo1", "O_Velo2", ("U", "VEL")),
        (t["eta"], "O_Eta1", "O_Eta2", ("T", "%")),
        (t["shaft"], "O_Vkw1", "O_Vkw2", ("U", "KW")),
        (t["shaft_max"], "O_Vkw1m", "O_Vkw2m", ("U", "KW")),
        (t["speed"], "O_S1MotRpm", "O_S2MotRpm", ("U", "UPM")),
        (t["lw"], "O_Lw1", "O_Lw2", ("T", "dB")),
        (t["lwa"], "O_LwA1", "O_LwA2", ("T", "dB(A)")),
    ]
    yy = r + 4.6
    for label, f1, f2, unit in rows:
        L.text(0, yy, 5, "L", label)
        L.field(x1, yy, 1, "R", f1)
        L.field(x2, yy, 1, "R", f2)
        if unit:
            if unit[0] == "U":
                L.unit(xu, yy, 5, "L", unit[1])
            else:
                L.text(xu, yy, 5, "L", unit[1])
        yy += ROW
    L.if_("O_PresAc1", ">", 0)
    L.text(0, yy, 5, "L", t["acc_drop"])
    L.field(x1, yy, 1, "R", "O_PresAc1")
    L.field(x2, yy, 1, "R", "O_PresAc2")
    L.unit(xu, yy, 5, "L", "PA")
    L.endif()
    return yy + ROW


def motor_one(L, t, y):
    L.heading(0, y, t["sec_motor"])
    r = y + 7.5
    L.row(r, LEFT_TEXT, t["mot_type"], "O_MotName", text_value=True)
    L.row(r + ROW, LEFT_TEXT, t["maker"], "O_MotFab", text_value=True)
    L.row(r + 2 * ROW, LEFT_TEXT, t["frame"], "O_MotBgr", text_value=True)
    L.row(r + 3 * ROW, LEFT_TEXT, t["mounting"], "O_MotBFrm", text_value=True)
    L.row(r + 4 * ROW, LEFT_TEXT, t["connection"], "O_MotScha", text_value=True)
    L.row(r + 5 * ROW, LEFT, t["mot_len"], "O_MotLen", ("T", "mm"))
    L.row(r, RIGHT, t["rated"], "O_S1MotKw", ("U", "KW"))
    L.row(r + ROW, RIGHT, t["current"], "O_S1MotAmp", ("T", "A"))
    L.row(r + 2 * ROW, RIGHT, t["speed"], "O_S1MotRpm", ("U", "UPM"))
    L.row(r + 3 * ROW, RIGHT, t["ia"], "O_S1MotIaI")
    L.row(r + 4 * ROW, RIGHT, t["mot_eta"], "O_S1MotEta", ("T", "%"))
    L.text(95, r + 5 * ROW, 5, "L", t["insulation"])
    L.field(163, r + 5 * ROW, 1, "R", "O_MotIso")
    L.text(95, r + 6 * ROW, 5, "L", t["protection"])
    L.field(163, r + 6 * ROW, 1, "R", "O_MotIP")
    L.if_("O_MotEx", "<>")
    L.row(r + 7 * ROW, RIGHT_TEXT, t["ex"], "O_MotEx", text_value=True)
    L.endif()
    return r + 8 * ROW


def motor_two(L, t, y):
    L.heading(0, y, t["sec_motor"])
    r = y + 7.5
    L.row(r, LEFT_TEXT, t["mot_type"], "O_MotName", text_value=True)
    L.row(r + ROW, LEFT_TEXT, t["maker"], "O_MotFab", text_value=True)
    L.row(r + 2 * ROW, LEFT_TEXT, t["frame"], "O_MotBgr", text_value=True)
    L.row(r + 3 * ROW, LEFT_TEXT, t["mounting"], "O_MotBFrm", text_value=True)
    L.row(r + 4 * ROW, LEFT_TEXT, t["connection"], "O_MotScha", text_value=True)
    L.row(r + 5 * ROW, LEFT, t["mot_len"], "O_MotLen", ("T", "mm"))
    xs = (95, 118, 0)
    L.row(r, xs, t["mot_poles"], "MOTPOLTXT", text_value=True)
    L.row(r + ROW, xs, t["step"] + " 1", "MOTSTEP1", text_value=True)
    L.row(r + 2 * ROW, xs, t["step"] + " 2", "MOTSTEP2", text_value=True)
    L.if_("O_S3MotPol", ">", 0)
    L.row(r + 3 * ROW, xs, t["step"] + " 3", "MOTSTEP3", text_value=True)
    L.endif()
    L.text(95, r + 4 * ROW, 5, "L", t["insulation"])
    L.field(163, r + 4 * ROW, 1, "R", "O_MotIso")
    L.text(95, r + 5 * ROW, 5, "L", t["protection"])
    L.field(163, r + 5 * ROW, 1, "R", "O_MotIP")
    L.if_("O_MotEx", "<>")
    L.row(r + 6 * ROW, RIGHT_TEXT, t["ex"], "O_MotEx", text_value=True)
    L.endif()
    return r + 7 * ROW


BANDS = ["63", "125", "250", "500", "1k", "2k", "4k", "8k"]


def sound(L, t, y, speeds):
    L.heading(0, y, t["sec_sound"])
    r = y + 7.5
    xc = [52 + i * 15 for i in range(8)]
    xt = 175
    L.text(0, r, 8, "L", t["band"])
    for x, b in zip(xc, BANDS):
        L.text(x, r, 8, "C", b)
    L.text(xt, r, 8, "C", t["sum"])
    L.line(0, r + 3.9, W, r + 3.9, 3)
    yy = r + 4.6
    for s in speeds:
        suffix = "" if len(speeds) == 1 else "  (%s)" % t["speed%d" % s]
        L.text(0, yy, 5, "L", "Lw [dB]" + suffix)
        for i, x in enumerate(xc):
            L.field(x, yy, 1, "C", "O_L%dwp%d" % (s, i + 1))
        L.field(xt, yy, 2, "C", "O_Lw%d" % s)
        yy += ROW
    L.if_("I_LwpDist", ">", 0)
    for s in speeds:
        suffix = "" if len(speeds) == 1 else "  (%s)" % t["speed%d" % s]
        L.text(0, yy, 5, "L", "LpA [dB(A)]" + suffix)
        for i, x in enumerate(xc):
            L.field(x, yy, 1, "C", "O_L%dwp%dd" % (s, i + 1))
        yy += ROW
    L.line(0, yy + 0.2, W, yy + 0.2, 3)
    L.text(0, yy + 1.2, 9, "L", t["lp_note"])
    L.field(43, yy + 1.2, 9, "L", "I_LwpDist")
    L.text(50, yy + 1.2, 9, "L", "m")
    L.endif()
    return yy + 5


def prices(L, t, y):
    L.raw("/* prices and weights only when the project says so")
    L.if_("I_PrtPrs", "=", 1)
    L.heading(0, y, t["sec_price"])
    r = y + 7.5
    L.text(0, r, 8, "L", t["price"])
    L.text(95, r, 8, "L", t["weight"])
    rows = [(t["fan"], "O_FanPrice", "O_FanKg"), (t["motor"], "O_MotPrice", "O_MotKg")]
    yy = r + ROW
    for label, p, k in rows:
        L.row(yy, LEFT, label, p, ("F", "VALUTA"))
        L.row(yy, RIGHT, label, k, ("T", "kg"))
        yy += ROW
    L.if_("O_AccPrice", ">", 0)
    L.row(yy, LEFT, t["acc"], "O_AccPrice", ("F", "VALUTA"))
    L.endif()
    yy += ROW
    L.line(0, yy - 0.4, 88, yy - 0.4, 3)
    L.line(95, yy - 0.4 - ROW, W, yy - 0.4 - ROW, 3)
    L.text(0, yy, 8, "L", t["sum"])
    L.field(LEFT[1], yy, 2, "R", "O_SumPrice")
    L.field(LEFT[2], yy, 5, "L", "VALUTA")
    L.text(95, yy - ROW, 8, "L", t["sum"])
    L.field(RIGHT[1], yy - ROW, 2, "R", "O_SumKg")
    L.text(RIGHT[2], yy - ROW, 5, "L", "kg")
    yy += ROW
    L.if_("DISCOUNT", ">", 0)
    L.row(yy, LEFT, t["rebate"], "DISCOUNT", ("T", "%"))
    L.endif()
    L.row(yy, RIGHT, t["price_list"], "PRICEID")
    L.if_("I_LiDate", "<>")
    L.row(yy + ROW, LEFT_TEXT, t["delivery"], "I_LiDate", text_value=True)
    L.endif()
    L.if_("I_ManPrs", "<>")
    L.row(yy + ROW, RIGHT_TEXT, t["remark"], "I_ManPrs", text_value=True)
    L.endif()
    L.endif()
    return yy + 2 * ROW


def notes(L, t, y):
    L.if_("I_Notes", "<>")
    L.heading(0, y, t["sec_notes"])
    L.field(0, y + 7.5, 1, "L", "I_NOTES")
    L.endif()


def dims(L, t, y, img_w=140):
    img_h = img_w / 1.6
    L.heading(0, y, t["sec_dims"])
    L.image((W - img_w) / 2, y + 8, img_w, img_h, "?CAD.png")
    r = y + 9 + img_h + 2
    L.line(0, r - 1, W, r - 1, 5)
    L.text(0, r, 8, "L", t["dims_mm"])
    cols = [40 + 7.15 + i * 14.3 for i in range(10)]
    for k, x in enumerate(cols, start=1):
        L.field(x, r, 8, "C", "KDIM%d" % k)
        L.field(x, r + ROW + 0.4, 1, "C", "VDIM%d" % k)
    L.line(0, r + 4, W, r + 4, 3)
    L.line(0, r + 2 * ROW + 1, W, r + 2 * ROW + 1, 5)
    L.text(0, r + 2 * ROW + 2, 9, "L", t["dims_note"])
    return r + 2 * ROW + 6


def acc_template(L, t):
    L.raw("/* one accessory block; y is relative to the block (ACCSTART moves it)")
    L.raw("ACC_START")
    L.image(0, 2, 56, 42, "?CAD.png")
    L.fieldr(62, 2, 7, "L", "TrnText")
    xl, xv = 62, 92
    L.text(xl, 8.5, 5, "L", t["article"])
    L.fieldr(xv, 8.5, 1, "L", "AdName")
    L.text(xl, 8.5 + ROW, 5, "L", t["qty"])
    L.field(xv, 8.5 + ROW, 2, "L", "ACQTA")
    L.text(xl, 8.5 + 2 * ROW, 5, "L", t["acc_dims"])
    for k in range(4):
        L.field(xv + k * 12, 8.5 + 2 * ROW, 1, "L", "ADIM%d" % (k + 1))
    L.if_("I_PrtPrs", "=", 1)
    L.text(130, 8.5 + ROW, 5, "L", t["net"])
    L.fieldr(172, 8.5 + ROW, 2, "R", "ADEURO")
    L.field(174, 8.5 + ROW, 5, "L", "VALUTA")
    L.text(130, 8.5 + 2 * ROW, 5, "L", t["weight"])
    L.fieldr(172, 8.5 + 2 * ROW, 1, "R", "AdKg")
    L.text(174, 8.5 + 2 * ROW, 5, "L", "kg")
    L.endif()
    L.raw("/* the accessory type's description, when TXT holds one")
    L.cmd("RTFFILE", 62, 24, 121, 31, "?RTF")
    L.line(0, 57, W, 57, 5)
    L.raw("ACC_END")


def data_sheet(lang, two_speeds):
    t = LABELS[lang]
    L = Layout()
    name = ("TDAXIAL2_" if two_speeds else "TDAXIAL_") + lang
    L.raw("/* Aerolyx print layout %s: fan data sheet, %s." % (name, "two motor speeds" if two_speeds else "one motor speed"))
    L.raw("/* Written by tools/layouts/make_layouts.py. The language is described in docs/layout-language.md.")
    L.raw("/* Positions in mm from the top-left margin. Printable area 183 x 273 mm (A4).")
    L.raw()
    L.raw("/* ---- header section ----")
    L.cmd("MARGIN", 15, 12, 12, 12)
    fonts(L)
    acc_template(L, t)
    L.raw()
    L.raw("START")
    L.raw()
    page_header_and_footer(L, t)
    L.raw()
    L.raw("/* ---- page 1 ----")
    company_header(L, t)
    L.text(0, 21, 3, "L", t["title"])
    L.field(W, 23, 7, "R", "O_FanName")
    project_block(L, t, 30)
    y = fan_and_duty(L, t, 49, two_speeds) + 2
    if not two_speeds:
        op_data_one(L, t, 94)
        motor_one(L, t, 133)
        sound(L, t, 177, [1])
        prices(L, t, 204)
        L.raw()
        L.raw("/* ---- page 2: performance chart, dimensions and notes ----")
        L.raw("PAGE")
        L.heading(0, 15, t["sec_chart"])
        L.image(0, 23, W, 95, "CURVE1")
        y = dims(L, t, 122)
        notes(L, t, y + 1)
    else:
        op_data_two(L, t, 94)
        motor_two(L, t, 167)
        prices(L, t, 206)
        L.raw()
        L.raw("/* ---- page 2: sound, performance charts of both speeds, dimensions ----")
        L.raw("PAGE")
        sound(L, t, 15, [1, 2])
        L.heading(0, 52, t["sec_chart"])
        L.text(0, 59.5, 8, "L", t["speed1"])
        L.text(94, 59.5, 8, "L", t["speed2"])
        L.image(0, 63.5, 89, 80, "CURVE1")
        L.image(94, 63.5, 89, 80, "CURVE2")
        dims(L, t, 147, img_w=118)
        L.raw()
        L.raw("/* ---- page 3 only for notes ----")
        L.if_("I_Notes", "<>")
        L.raw("PAGE")
        notes(L, t, 15)
        L.endif()
    L.raw()
    L.raw("/* ---- accessories: 4 blocks of 60 mm per page, from 16 mm on ----")
    L.cmd("ACCSTART", 16, 60, 4)
    return name, L.text_out()


def text_sheet(lang):
    t = LABELS[lang]
    L = Layout()
    name = "TXAXIAL_" + lang
    L.raw("/* Aerolyx print layout %s: text sheet (the RTF tender text of the fan)." % name)
    L.raw("/* Written by tools/layouts/make_layouts.py. The language is described in docs/layout-language.md.")
    L.raw()
    L.raw("/* ---- header section ----")
    L.cmd("MARGIN", 15, 12, 12, 12)
    fonts(L)
    L.raw()
    L.raw("START")
    L.raw()
    L.raw("/* page header from page 2 on (the text continues 50 mm below the top margin)")
    L.raw("HEADER_START")
    L.if_("PAGE", ">", 1)
    L.image(0, 0, 33, 9.9, "MYLOGO")
    L.field(W, 0, 7, "R", "O_FanName")
    L.text(174, 5.5, 5, "R", t["page"])
    L.field(175, 5.5, 5, "L", "PAGE")
    L.line(0, 11, W, 11, 10)
    L.endif()
    L.raw("HEADER_END")
    L.raw()
    company_header(L, t)
    L.text(0, 21, 3, "L", t["text_title"])
    L.field(W, 23, 7, "R", "O_FanName")
    L.row(30, LEFT_TEXT, t["project"], "I_Project", text_value=True)
    L.if_("I_ClientName", "<>")
    L.row(30, RIGHT_TEXT, t["client"], "I_ClientName", text_value=True)
    L.endif()
    L.row(30 + ROW, LEFT_TEXT, t["date"], "DATE", text_value=True)
    L.if_("I_PosLV", "<>")
    L.row(30 + ROW, RIGHT_TEXT, t["item"], "I_PosLV", text_value=True)
    L.endif()
    L.line(0, 40, W, 40, 10)
    L.raw()
    L.raw("/* the text flows from here over as many pages as it needs")
    L.cmd("RTFFILE", 0, 44, 0, 0, "?RTF")
    return name, L.text_out()


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", default=os.path.join(ROOT, "data", "folder"))
    args = ap.parse_args()
    for lang in LABELS:
        for name, body in (data_sheet(lang, False), data_sheet(lang, True), text_sheet(lang)):
            path = os.path.join(args.out, name + ".txt")
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(body)
            print(path)


if __name__ == "__main__":
    main()
