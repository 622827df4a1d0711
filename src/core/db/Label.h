#pragma once
// One label design with its default contents: everything a row of a label table
// holds, as plain values. Windows edit it, the record codec stores it, the renderer
// and the print run read it.

#include <QString>
#include <array>

namespace palomex {

// A rectangle of the layout in layout units (half millimetres of the label).
struct LayoutRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// One of the thirty positioned items of a label. Only lines store a size (their
// length: the width of a horizontal, the height of a vertical line); the other
// elements take their extent from what they draw.
struct LayoutElement : LayoutRect {
    static inline const QString kDefaultState = QStringLiteral("12|24");

    // First size "|" second size, optionally "|" a third part: "Horz" for text
    // elements whose content follows the designation on its line, the designation
    // text for the two NVE items. Kept as stored so that a round trip is exact.
    QString state = kDefaultState;

    // First size value ("Bez"): designation font size, or the human-readable text
    // size of a barcode. 12 when missing.
    double firstSize() const;
    // Second size value ("Text"): content font size, or the bar height. 24 when missing.
    double secondSize() const;
    // The third part of the state; empty when there is none.
    QString thirdPart() const;
    bool horizontal() const { return thirdPart() == QLatin1String("Horz"); }
    // The designation of elements 15 and 16, "NVE" when none is stored.
    QString designation() const;
    void setState(double first, double second, const QString& third = {});

    friend bool operator==(const LayoutElement&, const LayoutElement&) = default;
};

// Element numbers of the layout.
namespace element {
inline constexpr int Sender = 0;
inline constexpr int Receiver = 1;
inline constexpr int FirstField = 2;  // data field i is element FirstField + i
inline constexpr int FirstExtra = 12; // additional text i
inline constexpr int NveVertical = 15;
inline constexpr int NveLine = 16;
inline constexpr int FirstBarcode = 17; // upper data, lower data, NVE barcode
inline constexpr int FirstHorizontalLine = 20;
inline constexpr int FirstVerticalLine = 26;
inline constexpr int Count = 30;
} // namespace element

// A printed caption with its text: sender, receiver, additional texts.
struct CaptionedText {
    QString caption;
    QString text; // may hold line breaks

    friend bool operator==(const CaptionedText&, const CaptionedText&) = default;
};

// One data row of the label.
struct DataField {
    // The chosen entry of the identifier list, as the catalogue words it (with its
    // description and format code); empty for the blank entry. Only its code up to
    // the first ")" is stored.
    QString identifier;
    QString caption; // printed label text (DBBez)
    // The content as typed. For a date field with an automatic value it is
    // derived from today + days and not stored.
    QString content;
    // The automatic-value controls, present on the first six rows only: a date
    // field counts today + days, a running-number field counts up by days as step.
    bool autoValue = false;
    int days = 0; // days of a date field, or the step of a running number
    int dateFormat = 0;

    // "(01)": the entry up to and including its first ")", empty without one.
    QString identifierCode() const;
    bool isDate() const;          // the entry carries the date marker
    bool isRunningNumber() const; // the entry carries the running-number marker

    friend bool operator==(const DataField&, const DataField&) = default;
};

enum class LabelFormat { NveOnly = 0, Small = 1, Large = 2 };

struct Label {
    static constexpr int kFieldCount = 10;
    static constexpr int kAutoValueRows = 6; // rows 0 to 5 have the automatic-value controls
    static constexpr int kExtraCount = 3;

    QString name; // empty for a new, unsaved label
    LabelFormat format = LabelFormat::Small;
    int height = 0; // label height in millimetres (EtikHöhe)

    QString logoFile; // empty: no logo
    LayoutRect logo;

    QString nveBasis;
    QString nveLaufNr;
    QString anzahlNVEs = QStringLiteral("1"); // number of NVEs per run, as typed
    int anzahlProNVE = 1;                     // labels per NVE

    std::array<CaptionedText, 2> parties{
        {{QStringLiteral("Absender"), {}}, {QStringLiteral("Empfänger"), {}}}};
    std::array<DataField, kFieldCount> fields{};
    std::array<CaptionedText, kExtraCount> extras{{{QStringLiteral("Zusatztext 0"), {}},
                                                   {QStringLiteral("Zusatztext 1"), {}},
                                                   {QStringLiteral("Zusatztext 2"), {}}}};
    std::array<LayoutElement, element::Count> elements{};

    LayoutElement& fieldElement(int i) { return elements[element::FirstField + i]; }
    const LayoutElement& fieldElement(int i) const { return elements[element::FirstField + i]; }

    friend bool operator==(const Label&, const Label&) = default;
};

// The identifier code of a catalogue entry: up to and including the first ")".
QString identifierCodeOf(const QString& entry);

} // namespace palomex
