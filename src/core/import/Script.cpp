#include "import/Script.h"

#include "app/Captions.h"
#include "app/TextCodec.h"
#include "import/ImportStrings.h"

#include <QHash>
#include <QRegularExpression>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace palomex::script {

namespace {

struct Failure {
    int position;
    bool syntax;
    QString message;
};

[[noreturn]] void fail(int position, bool syntax, QString message) {
    throw Failure{position, syntax, std::move(message)};
}

// ---------------------------------------------------------------- tokens

enum class Tok { End, Number, String, Date, Name, Op };

struct Token {
    Tok kind = Tok::End;
    QString text; // operator, name or string contents
    double number = 0;
    int pos = 0; // 1-based
};

// A date literal between "#" signs: month/day/year as the script language writes
// them whatever the country, or year-month-day; a time may follow, or stand alone.
std::optional<double> dateLiteral(const QString& inside) {
    static const QRegularExpression usDate(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(\s+\d{1,2}:\d{2}(?::\d{2})?)?\s*$)"));
    if (const auto m = usDate.match(inside); m.hasMatch())
        return parseDate(m.captured(2) + QLatin1Char('.') + m.captured(1) + QLatin1Char('.') +
                         m.captured(3) + m.captured(4));
    return inside.contains(QLatin1Char('.')) ? std::nullopt : parseDate(inside);
}

// UCase and LCase change each character by itself, so that "ß" stays one
// character, as in the script language the expressions are written in.
QString eachChar(QString text, bool upper) {
    for (QChar& c : text)
        c = upper ? c.toUpper() : c.toLower();
    return text;
}

std::vector<Token> tokenize(const QString& src) {
    std::vector<Token> out;
    const int n = static_cast<int>(src.size());
    int i = 0;
    while (true) {
        while (i < n && (src[i] == QLatin1Char(' ') || src[i] == QLatin1Char('\t')))
            ++i;
        Token t;
        t.pos = i + 1;
        if (i >= n) {
            out.push_back(t);
            return out;
        }
        const QChar c = src[i];
        if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && src[i + 1].isDigit())) {
            int j = i;
            while (j < n && src[j].isDigit())
                ++j;
            if (j < n && src[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && src[j].isDigit())
                    ++j;
            }
            if (j < n && (src[j] == QLatin1Char('e') || src[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (src[k] == QLatin1Char('+') || src[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && src[k].isDigit()) {
                    while (k < n && src[k].isDigit())
                        ++k;
                    j = k;
                }
            }
            t.kind = Tok::Number;
            t.number = src.mid(i, j - i).toDouble();
            if (!std::isfinite(t.number))
                fail(t.pos, true, caption(msg::ExprOverflow));
            i = j;
        } else if (c == QLatin1Char('"')) {
            t.kind = Tok::String;
            int j = i + 1;
            while (true) {
                if (j >= n)
                    fail(t.pos, true, caption(msg::ExprUnterminatedString));
                if (src[j] == QLatin1Char('"')) {
                    if (j + 1 < n && src[j + 1] == QLatin1Char('"')) {
                        t.text += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                t.text += src[j++];
            }
            i = j;
        } else if (c == QLatin1Char('#')) {
            const int close = static_cast<int>(src.indexOf(QLatin1Char('#'), i + 1));
            const QString inside = src.mid(i + 1, close < 0 ? -1 : close - i - 1);
            const std::optional<double> serial = close < 0 ? std::nullopt : dateLiteral(inside);
            if (!serial)
                fail(t.pos, true, caption(msg::ExprBadDateLiteral).arg(inside));
            t.kind = Tok::Date;
            t.text = inside;
            t.number = *serial;
            i = close + 1;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (src[j].isLetterOrNumber() || src[j] == QLatin1Char('_')))
                ++j;
            t.kind = Tok::Name;
            t.text = src.mid(i, j - i);
            i = j;
        } else {
            static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="),
                                                QStringLiteral(">=")};
            const QString two = src.mid(i, 2);
            t.kind = Tok::Op;
            if (twoChar.contains(two)) {
                t.text = two;
                i += 2;
            } else if (QStringLiteral("+-*/\\^&=<>(),.").contains(c)) {
                t.text = c;
                ++i;
            } else {
                fail(t.pos, true, caption(msg::ExprUnexpectedChar).arg(c));
            }
        }
        out.push_back(t);
    }
}

// ---------------------------------------------------------------- syntax tree

struct Node {
    enum Kind { Literal, Name, Member, Call, Unary, Binary } kind;
    int pos = 0;
    QString name; // operator, name, function or property
    Value literal;
    std::vector<std::unique_ptr<Node>> kids;
};
using NodePtr = std::unique_ptr<Node>;

class Parser {
public:
    Parser(std::vector<Token> tokens, const Limits& limits)
        : tokens_(std::move(tokens)), limits_(limits) {}

    NodePtr parseAll() {
        NodePtr e = parseLevel(0);
        if (peek().kind != Tok::End)
            fail(peek().pos, true, caption(msg::ExprTrailing).arg(tokenText(peek())));
        return e;
    }

private:
    // Binary operators from the loosest to the tightest binding.
    static const std::vector<QStringList>& levels() {
        static const std::vector<QStringList> l = {
            {QStringLiteral("imp")},
            {QStringLiteral("eqv")},
            {QStringLiteral("xor")},
            {QStringLiteral("or")},
            {QStringLiteral("and")},
            {}, // Not (unary) sits here
            {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"), QStringLiteral(">"),
             QStringLiteral("<="), QStringLiteral(">=")},
            {QStringLiteral("&")},
            {QStringLiteral("+"), QStringLiteral("-")},
            {QStringLiteral("mod")},
            {QStringLiteral("\\")},
            {QStringLiteral("*"), QStringLiteral("/")},
        };
        return l;
    }
    static constexpr size_t kNotLevel = 5;

    const Token& peek() const { return tokens_[index_]; }
    Token next() { return tokens_[index_ < tokens_.size() - 1 ? index_++ : index_]; }

    static QString tokenText(const Token& t) {
        switch (t.kind) {
        case Tok::Number:
            return formatNumber(t.number);
        case Tok::String:
            return QLatin1Char('"') + t.text + QLatin1Char('"');
        case Tok::Date:
            return QLatin1Char('#') + t.text + QLatin1Char('#');
        default:
            return t.text;
        }
    }

    bool isOp(const QString& op) const {
        const Token& t = peek();
        if (t.kind == Tok::Op)
            return t.text == op;
        return t.kind == Tok::Name && t.text.compare(op, Qt::CaseInsensitive) == 0 &&
               op.at(0).isLetter();
    }

    void enter(int pos) {
        if (++depth_ > limits_.maxDepth)
            fail(pos, true, caption(msg::ExprTooDeep));
    }

    NodePtr parseLevel(size_t level) {
        NodePtr result;
        if (level == levels().size()) {
            result = parseUnary();
        } else if (level == kNotLevel) {
            if (isOp(QStringLiteral("not"))) {
                enter(peek().pos);
                auto n = std::make_unique<Node>(
                    Node{Node::Unary, next().pos, QStringLiteral("not"), {}, {}});
                n->kids.push_back(parseLevel(level));
                --depth_;
                result = std::move(n);
            } else {
                result = parseLevel(level + 1);
            }
        } else {
            result = parseLevel(level + 1);
            while (true) {
                const QStringList& ops = levels()[level];
                auto it = std::find_if(ops.begin(), ops.end(),
                                       [&](const QString& op) { return isOp(op); });
                if (it == ops.end())
                    break;
                const Token op = next();
                auto n = std::make_unique<Node>(Node{Node::Binary, op.pos, *it, {}, {}});
                n->kids.push_back(std::move(result));
                n->kids.push_back(parseLevel(level + 1));
                result = std::move(n);
            }
        }
        return result;
    }

    // Unary minus binds looser than "^": -2^2 is -4.
    NodePtr parseUnary() {
        if (isOp(QStringLiteral("-")) || isOp(QStringLiteral("+"))) {
            enter(peek().pos);
            const Token op = next();
            auto n = std::make_unique<Node>(Node{Node::Unary, op.pos, op.text, {}, {}});
            n->kids.push_back(parseUnary());
            --depth_;
            return n;
        }
        NodePtr base = parsePostfix();
        if (isOp(QStringLiteral("^"))) {
            enter(peek().pos);
            const Token op = next();
            auto n = std::make_unique<Node>(Node{Node::Binary, op.pos, op.text, {}, {}});
            n->kids.push_back(std::move(base));
            n->kids.push_back(parseUnaryNoPower());
            --depth_;
            // "^" is left-associative: fold further powers onto the left.
            NodePtr acc = std::move(n);
            while (isOp(QStringLiteral("^"))) {
                const Token more = next();
                auto m = std::make_unique<Node>(Node{Node::Binary, more.pos, more.text, {}, {}});
                m->kids.push_back(std::move(acc));
                m->kids.push_back(parseUnaryNoPower());
                acc = std::move(m);
            }
            return acc;
        }
        return base;
    }

    NodePtr parseUnaryNoPower() {
        if (isOp(QStringLiteral("-")) || isOp(QStringLiteral("+"))) {
            enter(peek().pos);
            const Token op = next();
            auto n = std::make_unique<Node>(Node{Node::Unary, op.pos, op.text, {}, {}});
            n->kids.push_back(parseUnaryNoPower());
            --depth_;
            return n;
        }
        return parsePostfix();
    }

    NodePtr parsePostfix() {
        NodePtr e = parsePrimary();
        while (isOp(QStringLiteral("."))) {
            const Token dot = next();
            const Token prop = next();
            if (prop.kind != Tok::Name)
                fail(prop.pos, true,
                     prop.kind == Tok::End ? caption(msg::ExprUnexpectedEnd)
                                           : caption(msg::ExprUnexpectedChar).arg(tokenText(prop)));
            auto n = std::make_unique<Node>(Node{Node::Member, dot.pos, prop.text, {}, {}});
            n->kids.push_back(std::move(e));
            e = std::move(n);
        }
        return e;
    }

    NodePtr parsePrimary() {
        const Token t = next();
        switch (t.kind) {
        case Tok::End:
            fail(t.pos, true, caption(msg::ExprUnexpectedEnd));
        case Tok::Number:
            return std::make_unique<Node>(Node{Node::Literal, t.pos, {}, Value::num(t.number), {}});
        case Tok::String:
            return std::make_unique<Node>(Node{Node::Literal, t.pos, {}, Value::str(t.text), {}});
        case Tok::Date:
            return std::make_unique<Node>(
                Node{Node::Literal, t.pos, {}, Value::date(t.number), {}});
        case Tok::Name: {
            if (!isOp(QStringLiteral("(")))
                return std::make_unique<Node>(Node{Node::Name, t.pos, t.text, {}, {}});
            next();
            enter(t.pos);
            auto call = std::make_unique<Node>(Node{Node::Call, t.pos, t.text, {}, {}});
            if (!isOp(QStringLiteral(")"))) {
                while (true) {
                    call->kids.push_back(parseLevel(0));
                    if (!isOp(QStringLiteral(",")))
                        break;
                    next();
                }
            }
            expectClose();
            --depth_;
            return call;
        }
        case Tok::Op:
            if (t.text == QLatin1String("(")) {
                enter(t.pos);
                NodePtr inner = parseLevel(0);
                expectClose();
                --depth_;
                return inner;
            }
            fail(t.pos, true, caption(msg::ExprUnexpectedChar).arg(t.text));
        }
        fail(t.pos, true, caption(msg::ExprUnexpectedEnd));
    }

    void expectClose() {
        if (!isOp(QStringLiteral(")")))
            fail(peek().pos, true,
                 peek().kind == Tok::End ? caption(msg::ExprCloseParen)
                                         : caption(msg::ExprCloseParen));
        next();
    }

    std::vector<Token> tokens_;
    size_t index_ = 0;
    int depth_ = 0;
    const Limits& limits_;
};

// ---------------------------------------------------------------- evaluation

class Evaluator {
public:
    Evaluator(const Environment& env, const Limits& limits) : env_(env), limits_(limits) {}

    Value eval(const Node& n) {
        if (++steps_ > limits_.maxSteps)
            fail(n.pos, false, caption(msg::ExprTooManySteps));
        switch (n.kind) {
        case Node::Literal:
            return n.literal;
        case Node::Name:
            return name(n);
        case Node::Member:
            return member(n);
        case Node::Call: {
            std::vector<Value> args;
            args.reserve(n.kids.size());
            for (const auto& k : n.kids)
                args.push_back(eval(*k));
            return call(n, args);
        }
        case Node::Unary:
            return unary(n, eval(*n.kids[0]));
        case Node::Binary:
            return binary(n, eval(*n.kids[0]), eval(*n.kids[1]));
        }
        return {};
    }

private:
    using Args = std::vector<Value>;

    // ------------------------------------------------ conversions
    double toNumber(const Value& v, int pos) const {
        switch (v.type) {
        case Value::Type::Empty:
            return 0;
        case Value::Type::String:
            if (auto d = parseNumber(v.text))
                return *d;
            if (auto d = parseDate(v.text))
                return *d;
            fail(pos, false, caption(msg::ExprTypeMismatch));
        default:
            return v.number;
        }
    }

    double toDate(const Value& v, int pos) const {
        if (v.type == Value::Type::String) {
            if (auto d = parseDate(v.text))
                return *d;
            if (auto d = parseNumber(v.text))
                return *d;
            fail(pos, false, caption(msg::ExprTypeMismatch));
        }
        return toNumber(v, pos);
    }

    qint64 toInteger(const Value& v, int pos) const {
        const double d = roundHalfEven(toNumber(v, pos));
        if (std::fabs(d) > 2147483647.0)
            fail(pos, false, caption(msg::ExprOverflow));
        return static_cast<qint64>(d);
    }

    bool toBool(const Value& v, int pos) const {
        if (v.type == Value::Type::String) {
            const QString t = v.text.trimmed().toLower();
            if (t == QLatin1String("wahr") || t == QLatin1String("true"))
                return true;
            if (t == QLatin1String("falsch") || t == QLatin1String("false"))
                return false;
        }
        return toNumber(v, pos) != 0;
    }

    Value checked(QString s, int pos) const {
        if (s.size() > limits_.maxStringLength)
            fail(pos, false, caption(msg::ExprStringTooLong));
        return Value::str(std::move(s));
    }

    Value number(double d, int pos) const {
        if (!std::isfinite(d))
            fail(pos, false, caption(msg::ExprOverflow));
        return Value::num(d);
    }

    Value date(double d, int pos) const {
        // Years 100 to 9999 are the range of the date type.
        if (!std::isfinite(d) || d < -657434.0 || d >= 2958466.0)
            fail(pos, false, caption(msg::ExprOverflow));
        return Value::date(d);
    }

    static bool numericLike(const Value& v) {
        return v.type == Value::Type::Number || v.type == Value::Type::Boolean ||
               v.type == Value::Type::Date || v.type == Value::Type::Empty;
    }

    // ------------------------------------------------ names and members
    Value name(const Node& n) {
        const QString key = n.name.toLower();
        static const QHash<QString, QString> constants = {
            {QStringLiteral("vbcrlf"), QStringLiteral("\r\n")},
            {QStringLiteral("vbnewline"), QStringLiteral("\r\n")},
            {QStringLiteral("vbcr"), QStringLiteral("\r")},
            {QStringLiteral("vblf"), QStringLiteral("\n")},
            {QStringLiteral("vbtab"), QStringLiteral("\t")},
            {QStringLiteral("vbnullstring"), QString()},
        };
        if (auto it = constants.find(key); it != constants.end())
            return Value::str(*it);
        if (key == QLatin1String("true"))
            return Value::boolean(true);
        if (key == QLatin1String("false"))
            return Value::boolean(false);
        if (key == QLatin1String("date") || key == QLatin1String("time") ||
            key == QLatin1String("now"))
            return call(n, {});
        if (builtins().contains(key))
            fail(n.pos, false, caption(msg::ExprArgCount).arg(n.name));
        // An unknown name is an undeclared variable: it holds nothing.
        return Value::empty();
    }

    Value member(const Node& n) {
        const Node& object = *n.kids[0];
        const QString obj = object.kind == Node::Name ? object.name.toLower() : QString();
        if (n.name.compare(QLatin1String("text"), Qt::CaseInsensitive) == 0) {
            if (obj == QLatin1String("txt1"))
                return Value::str(env_.expressionText);
            if (obj == QLatin1String("ausdr"))
                return Value::str(env_.resultText);
        }
        fail(n.pos, false, caption(msg::ExprNoProperty).arg(n.name));
    }

    // ------------------------------------------------ operators
    Value unary(const Node& n, const Value& v) const {
        if (n.name == QLatin1String("not")) {
            if (v.type == Value::Type::Boolean)
                return Value::boolean(v.number == 0);
            return number(static_cast<double>(~toInteger(v, n.pos)), n.pos);
        }
        if (v.type == Value::Type::Empty)
            return Value::num(0);
        const double d = toNumber(v, n.pos);
        if (n.name == QLatin1String("+"))
            return v.type == Value::Type::Date ? v : number(d, n.pos);
        return v.type == Value::Type::Date ? date(-d, n.pos) : number(-d, n.pos);
    }

    int compare(const Value& a, const Value& b, int pos) const {
        const bool aText = a.type == Value::Type::String;
        const bool bText = b.type == Value::Type::String;
        if (aText && bText)
            return a.text.compare(b.text);
        if (aText != bText) {
            // A text meets a number: compare as numbers when the text is one.
            const Value& text = aText ? a : b;
            const Value& other = aText ? b : a;
            if (other.type == Value::Type::Empty)
                return aText ? a.text.compare(QString()) : QString().compare(b.text);
            if (!parseNumber(text.text) && !parseDate(text.text)) {
                // Numbers sort before texts.
                return aText ? 1 : -1;
            }
        }
        const double x = toNumber(a, pos);
        const double y = toNumber(b, pos);
        return x < y ? -1 : (x > y ? 1 : 0);
    }

    Value binary(const Node& n, const Value& a, const Value& b) const {
        const QString& op = n.name;
        const int pos = n.pos;
        if (op == QLatin1String("&"))
            return checked(toText(a) + toText(b), pos);
        if (op == QLatin1String("+")) {
            if (a.type == Value::Type::String && b.type == Value::Type::String)
                return checked(a.text + b.text, pos);
            if (a.type == Value::Type::Empty && b.type == Value::Type::Empty)
                return Value::num(0);
            const double sum = toNumber(a, pos) + toNumber(b, pos);
            if (a.type == Value::Type::Date || b.type == Value::Type::Date)
                return date(sum, pos);
            return number(sum, pos);
        }
        if (op == QLatin1String("-")) {
            const double diff = toNumber(a, pos) - toNumber(b, pos);
            // date - number stays a date; date - date is a number of days.
            if (a.type == Value::Type::Date && b.type != Value::Type::Date)
                return date(diff, pos);
            if (b.type == Value::Type::Date && a.type != Value::Type::Date)
                return date(diff, pos);
            return number(diff, pos);
        }
        if (op == QLatin1String("*"))
            return number(toNumber(a, pos) * toNumber(b, pos), pos);
        if (op == QLatin1String("/")) {
            const double divisor = toNumber(b, pos);
            if (divisor == 0)
                fail(pos, false, caption(msg::ExprDivisionByZero));
            return number(toNumber(a, pos) / divisor, pos);
        }
        if (op == QLatin1String("\\") || op == QLatin1String("mod")) {
            const qint64 x = toInteger(a, pos);
            const qint64 y = toInteger(b, pos);
            if (y == 0)
                fail(pos, false, caption(msg::ExprDivisionByZero));
            return Value::num(static_cast<double>(op == QLatin1String("mod") ? x % y : x / y));
        }
        if (op == QLatin1String("^"))
            return number(std::pow(toNumber(a, pos), toNumber(b, pos)), pos);
        if (op == QLatin1String("=") || op == QLatin1String("<>") || op == QLatin1String("<") ||
            op == QLatin1String(">") || op == QLatin1String("<=") || op == QLatin1String(">=")) {
            const int c = compare(a, b, pos);
            bool r = false;
            if (op == QLatin1String("="))
                r = c == 0;
            else if (op == QLatin1String("<>"))
                r = c != 0;
            else if (op == QLatin1String("<"))
                r = c < 0;
            else if (op == QLatin1String(">"))
                r = c > 0;
            else if (op == QLatin1String("<="))
                r = c <= 0;
            else
                r = c >= 0;
            return Value::boolean(r);
        }
        // Logical operators work bitwise on whole numbers; on booleans that is logic.
        const qint64 x = toBoolOrInt(a, pos);
        const qint64 y = toBoolOrInt(b, pos);
        qint64 r = 0;
        if (op == QLatin1String("and"))
            r = x & y;
        else if (op == QLatin1String("or"))
            r = x | y;
        else if (op == QLatin1String("xor"))
            r = x ^ y;
        else if (op == QLatin1String("eqv"))
            r = ~(x ^ y);
        else
            r = ~x | y; // imp
        if (a.type == Value::Type::Boolean && b.type == Value::Type::Boolean)
            return Value::boolean(r != 0);
        return Value::num(static_cast<double>(r));
    }

    qint64 toBoolOrInt(const Value& v, int pos) const {
        if (v.type == Value::Type::String && !parseNumber(v.text))
            return toBool(v, pos) ? -1 : 0;
        return toInteger(v, pos);
    }

    // ------------------------------------------------ functions
    using Builtin = std::function<Value(Evaluator&, const Node&, const Args&)>;
    struct Function {
        int minArgs;
        int maxArgs;
        Builtin run;
    };
    static const QHash<QString, Function>& builtins();

    Value call(const Node& n, const Args& args) {
        const auto& table = builtins();
        const auto it = table.find(n.name.toLower());
        if (it == table.end())
            fail(n.pos, false, caption(msg::ExprUnknownFunction).arg(n.name));
        const int count = static_cast<int>(args.size());
        if (count < it->minArgs || count > it->maxArgs)
            fail(n.pos, false, caption(msg::ExprArgCount).arg(n.name));
        return it->run(*this, n, args);
    }

    QString text(const Value& v) const { return toText(v); }
    [[noreturn]] void badArgument(const Node& n) const {
        fail(n.pos, false, caption(msg::ExprBadArgument).arg(n.name));
    }
    [[noreturn]] void failTooLong(const Node& n) const {
        fail(n.pos, false, caption(msg::ExprStringTooLong));
    }
    [[noreturn]] void failOverflow(const Node& n) const {
        fail(n.pos, false, caption(msg::ExprOverflow));
    }
    qint64 nonNegative(const Node& n, const Value& v) const {
        const qint64 i = toInteger(v, n.pos);
        if (i < 0)
            badArgument(n);
        return i;
    }
    qint64 positive(const Node& n, const Value& v) const {
        const qint64 i = toInteger(v, n.pos);
        if (i < 1)
            badArgument(n);
        return i;
    }
    double today() const { return std::trunc(serialFromDateTime(env_.now)); }

    Value dateAdd(const Node& n, const Args& a);
    Value dateDiff(const Node& n, const Args& a);
    Value datePart(const Node& n, const Args& a);
    static qint64 weekOfYear(const QDate& d);

    const Environment& env_;
    const Limits& limits_;
    int steps_ = 0;
};

qint64 Evaluator::weekOfYear(const QDate& d) {
    // The week containing 1 January is week 1; weeks start on Sunday.
    const QDate first(d.year(), 1, 1);
    const int offset = first.dayOfWeek() % 7; // Sunday = 0
    return (d.dayOfYear() - 1 + offset) / 7 + 1;
}

Value Evaluator::dateAdd(const Node& n, const Args& a) {
    const QString interval = text(a[0]).toLower();
    const qint64 count = static_cast<qint64>(std::trunc(toNumber(a[1], n.pos)));
    const double serial = toDate(a[2], n.pos);
    if (std::fabs(static_cast<double>(count)) > 1e7)
        fail(n.pos, false, caption(msg::ExprOverflow));
    const QDateTime dt = dateTimeFromSerial(date(serial, n.pos).number);
    QDateTime r;
    if (interval == QLatin1String("yyyy"))
        r = dt.addYears(static_cast<int>(count));
    else if (interval == QLatin1String("q"))
        r = dt.addMonths(static_cast<int>(count * 3));
    else if (interval == QLatin1String("m"))
        r = dt.addMonths(static_cast<int>(count));
    else if (interval == QLatin1String("d") || interval == QLatin1String("y") ||
             interval == QLatin1String("w"))
        return date(serial + static_cast<double>(count), n.pos);
    else if (interval == QLatin1String("ww"))
        return date(serial + static_cast<double>(count) * 7, n.pos);
    else if (interval == QLatin1String("h"))
        return date(serial + static_cast<double>(count) / 24.0, n.pos);
    else if (interval == QLatin1String("n"))
        return date(serial + static_cast<double>(count) / 1440.0, n.pos);
    else if (interval == QLatin1String("s"))
        return date(serial + static_cast<double>(count) / 86400.0, n.pos);
    else
        badArgument(n);
    return date(serialFromDateTime(r), n.pos);
}

Value Evaluator::dateDiff(const Node& n, const Args& a) {
    const QString interval = text(a[0]).toLower();
    const double s1 = toDate(a[1], n.pos);
    const double s2 = toDate(a[2], n.pos);
    const QDateTime d1 = dateTimeFromSerial(s1);
    const QDateTime d2 = dateTimeFromSerial(s2);
    double r = 0;
    if (interval == QLatin1String("yyyy"))
        r = d2.date().year() - d1.date().year();
    else if (interval == QLatin1String("q"))
        r = (d2.date().year() - d1.date().year()) * 4 + (d2.date().month() - 1) / 3 -
            (d1.date().month() - 1) / 3;
    else if (interval == QLatin1String("m"))
        r = (d2.date().year() - d1.date().year()) * 12 + d2.date().month() - d1.date().month();
    else if (interval == QLatin1String("d") || interval == QLatin1String("y"))
        r = static_cast<double>(d1.date().daysTo(d2.date()));
    else if (interval == QLatin1String("w"))
        r = std::trunc(static_cast<double>(d1.date().daysTo(d2.date())) / 7.0);
    else if (interval == QLatin1String("ww")) {
        // Counts the Sundays crossed.
        const QDate w1 = d1.date().addDays(-(d1.date().dayOfWeek() % 7));
        const QDate w2 = d2.date().addDays(-(d2.date().dayOfWeek() % 7));
        r = static_cast<double>(w1.daysTo(w2) / 7);
    } else if (interval == QLatin1String("h"))
        r = std::floor(s2 * 24 + 1e-9) - std::floor(s1 * 24 + 1e-9);
    else if (interval == QLatin1String("n"))
        r = std::floor(s2 * 1440 + 1e-9) - std::floor(s1 * 1440 + 1e-9);
    else if (interval == QLatin1String("s"))
        r = std::round(s2 * 86400) - std::round(s1 * 86400);
    else
        badArgument(n);
    return Value::num(r);
}

Value Evaluator::datePart(const Node& n, const Args& a) {
    const QString interval = text(a[0]).toLower();
    const QDateTime dt = dateTimeFromSerial(toDate(a[1], n.pos));
    const QDate d = dt.date();
    double r = 0;
    if (interval == QLatin1String("yyyy"))
        r = d.year();
    else if (interval == QLatin1String("q"))
        r = (d.month() - 1) / 3 + 1;
    else if (interval == QLatin1String("m"))
        r = d.month();
    else if (interval == QLatin1String("y"))
        r = d.dayOfYear();
    else if (interval == QLatin1String("d"))
        r = d.day();
    else if (interval == QLatin1String("w"))
        r = d.dayOfWeek() % 7 + 1; // Sunday = 1
    else if (interval == QLatin1String("ww"))
        r = static_cast<double>(weekOfYear(d));
    else if (interval == QLatin1String("h"))
        r = dt.time().hour();
    else if (interval == QLatin1String("n"))
        r = dt.time().minute();
    else if (interval == QLatin1String("s"))
        r = dt.time().second();
    else
        badArgument(n);
    return Value::num(r);
}

const QHash<QString, Evaluator::Function>& Evaluator::builtins() {
    using E = Evaluator;
    auto datePiece = [](auto piece) {
        return Function{1, 1, [piece](E& e, const Node& n, const Args& a) {
                            return Value::num(piece(dateTimeFromSerial(e.toDate(a[0], n.pos))));
                        }};
    };
    auto trimmer = [](bool left, bool right) {
        return Function{1, 1, [left, right](E& e, const Node&, const Args& a) {
                            QString s = e.text(a[0]);
                            int from = 0;
                            int to = static_cast<int>(s.size());
                            while (left && from < to && s[from] == QLatin1Char(' '))
                                ++from;
                            while (right && to > from && s[to - 1] == QLatin1Char(' '))
                                --to;
                            return Value::str(s.mid(from, to - from));
                        }};
    };
    auto repeat = [](E& e, const Node& n, qint64 count, const QString& piece) {
        if (count > e.limits_.maxStringLength)
            e.failTooLong(n);
        return e.checked(piece.repeated(static_cast<int>(count)), n.pos);
    };
    static const QHash<QString, Function> table = {
        {QStringLiteral("asc"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) {
              const QString s = e.text(a[0]);
              if (s.isEmpty())
                  e.badArgument(n);
              const QByteArray b = encodeCp1252(s.left(1));
              const auto code = static_cast<unsigned char>(b.at(0));
              return Value::num(code == '?' && s[0] != QLatin1Char('?') ? s[0].unicode() : code);
          }}},
        {QStringLiteral("chr"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) {
              const qint64 code = e.toInteger(a[0], n.pos);
              if (code < 0 || code > 255)
                  e.badArgument(n);
              return Value::str(decodeCp1252(QByteArray(1, static_cast<char>(code))));
          }}},
        {QStringLiteral("instr"),
         {2, 3,
          [](E& e, const Node& n, const Args& a) {
              qint64 start = 1;
              size_t first = 0;
              if (a.size() == 3) {
                  start = e.positive(n, a[0]);
                  first = 1;
              }
              const QString hay = e.text(a[first]);
              const QString needle = e.text(a[first + 1]);
              if (start > hay.size())
                  return Value::num(0);
              if (needle.isEmpty())
                  return Value::num(static_cast<double>(start));
              return Value::num(static_cast<double>(hay.indexOf(needle, start - 1) + 1));
          }}},
        {QStringLiteral("lcase"),
         {1, 1,
          [](E& e, const Node&, const Args& a) {
              return Value::str(eachChar(e.text(a[0]), false));
          }}},
        {QStringLiteral("ucase"),
         {1, 1,
          [](E& e, const Node&, const Args& a) {
              return Value::str(eachChar(e.text(a[0]), true));
          }}},
        {QStringLiteral("left"),
         {2, 2,
          [](E& e, const Node& n, const Args& a) {
              return Value::str(e.text(a[0]).left(
                  static_cast<int>(std::min<qint64>(e.nonNegative(n, a[1]), INT32_MAX))));
          }}},
        {QStringLiteral("right"),
         {2, 2,
          [](E& e, const Node& n, const Args& a) {
              return Value::str(e.text(a[0]).right(
                  static_cast<int>(std::min<qint64>(e.nonNegative(n, a[1]), INT32_MAX))));
          }}},
        {QStringLiteral("mid"),
         {2, 3,
          [](E& e, const Node& n, const Args& a) {
              const qint64 start = e.positive(n, a[1]);
              const qint64 length = a.size() == 3 ? e.nonNegative(n, a[2]) : INT32_MAX;
              const QString s = e.text(a[0]);
              if (start > s.size())
                  return Value::str(QString());
              return Value::str(s.mid(static_cast<int>(start - 1),
                                      static_cast<int>(std::min<qint64>(length, INT32_MAX))));
          }}},
        {QStringLiteral("len"),
         {1, 1,
          [](E& e, const Node&, const Args& a) {
              return Value::num(static_cast<double>(e.text(a[0]).size()));
          }}},
        {QStringLiteral("replace"),
         {3, 3,
          [](E& e, const Node& n, const Args& a) {
              const QString s = e.text(a[0]);
              const QString find = e.text(a[1]);
              const QString with = e.text(a[2]);
              if (find.isEmpty())
                  return Value::str(s);
              const qint64 grown =
                  static_cast<qint64>(s.count(find)) * (with.size() - find.size()) + s.size();
              if (grown > e.limits_.maxStringLength)
                  e.failTooLong(n);
              return Value::str(QString(s).replace(find, with));
          }}},
        {QStringLiteral("space"),
         {1, 1,
          [repeat](E& e, const Node& n, const Args& a) {
              return repeat(e, n, e.nonNegative(n, a[0]), QStringLiteral(" "));
          }}},
        {QStringLiteral("string"),
         {2, 2,
          [repeat](E& e, const Node& n, const Args& a) {
              const qint64 count = e.nonNegative(n, a[0]);
              QString piece;
              if (a[1].type == Value::Type::String) {
                  if (a[1].text.isEmpty())
                      e.badArgument(n);
                  piece = a[1].text.left(1);
              } else {
                  const qint64 code = e.toInteger(a[1], n.pos);
                  if (code < 0 || code > 255)
                      e.badArgument(n);
                  piece = decodeCp1252(QByteArray(1, static_cast<char>(code)));
              }
              return repeat(e, n, count, piece);
          }}},
        {QStringLiteral("trim"), trimmer(true, true)},
        {QStringLiteral("ltrim"), trimmer(true, false)},
        {QStringLiteral("rtrim"), trimmer(false, true)},
        {QStringLiteral("round"),
         {1, 2,
          [](E& e, const Node& n, const Args& a) {
              const int decimals =
                  a.size() == 2 ? static_cast<int>(std::min<qint64>(e.nonNegative(n, a[1]), 15))
                                : 0;
              return e.number(roundHalfEven(e.toNumber(a[0], n.pos), decimals), n.pos);
          }}},
        {QStringLiteral("date"),
         {0, 0, [](E& e, const Node&, const Args&) { return Value::date(e.today()); }}},
        {QStringLiteral("time"),
         {0, 0,
          [](E& e, const Node&, const Args&) {
              return Value::date(serialFromDateTime(e.env_.now) - e.today());
          }}},
        {QStringLiteral("now"),
         {0, 0,
          [](E& e, const Node&, const Args&) {
              return Value::date(serialFromDateTime(e.env_.now));
          }}},
        {QStringLiteral("dateadd"),
         {3, 3, [](E& e, const Node& n, const Args& a) { return e.dateAdd(n, a); }}},
        {QStringLiteral("datediff"),
         {3, 3, [](E& e, const Node& n, const Args& a) { return e.dateDiff(n, a); }}},
        {QStringLiteral("datepart"),
         {2, 2, [](E& e, const Node& n, const Args& a) { return e.datePart(n, a); }}},
        {QStringLiteral("dateserial"),
         {3, 3,
          [](E& e, const Node& n, const Args& a) {
              // Months and days out of range roll over, as the classic function does.
              const qint64 year = e.toInteger(a[0], n.pos);
              const qint64 month = e.toInteger(a[1], n.pos);
              const qint64 day = e.toInteger(a[2], n.pos);
              if (year < 0 || year > 9999 || std::llabs(month) > 120000 ||
                  std::llabs(day) > 4000000)
                  e.failOverflow(n);
              const int fullYear =
                  static_cast<int>(year < 30 ? year + 2000 : (year < 100 ? year + 1900 : year));
              const QDate first = QDate(fullYear, 1, 1).addMonths(static_cast<int>(month - 1));
              return e.date(serialFromDateTime(QDateTime(first.addDays(day - 1), QTime(0, 0))),
                            n.pos);
          }}},
        {QStringLiteral("day"), datePiece([](const QDateTime& d) { return d.date().day(); })},
        {QStringLiteral("month"), datePiece([](const QDateTime& d) { return d.date().month(); })},
        {QStringLiteral("year"), datePiece([](const QDateTime& d) { return d.date().year(); })},
        {QStringLiteral("hour"), datePiece([](const QDateTime& d) { return d.time().hour(); })},
        {QStringLiteral("minute"), datePiece([](const QDateTime& d) { return d.time().minute(); })},
        {QStringLiteral("second"), datePiece([](const QDateTime& d) { return d.time().second(); })},
        {QStringLiteral("cstr"),
         {1, 1, [](E& e, const Node&, const Args& a) { return Value::str(e.text(a[0])); }}},
        {QStringLiteral("cdbl"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) {
              return e.number(e.toNumber(a[0], n.pos), n.pos);
          }}},
        {QStringLiteral("clng"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) {
              return Value::num(static_cast<double>(e.toInteger(a[0], n.pos)));
          }}},
        {QStringLiteral("cdate"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) { return e.date(e.toDate(a[0], n.pos), n.pos); }}},
        {QStringLiteral("int"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) {
              return e.number(std::floor(e.toNumber(a[0], n.pos)), n.pos);
          }}},
        {QStringLiteral("abs"),
         {1, 1,
          [](E& e, const Node& n, const Args& a) {
              return e.number(std::fabs(e.toNumber(a[0], n.pos)), n.pos);
          }}},
    };
    return table;
}

} // namespace

QString toText(const Value& v) {
    switch (v.type) {
    case Value::Type::Empty:
        return {};
    case Value::Type::Boolean:
        return v.number != 0 ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
    case Value::Type::Number:
        return formatNumber(v.number);
    case Value::Type::String:
        return v.text;
    case Value::Type::Date:
        return formatDate(v.number);
    }
    return {};
}

QString Outcome::describe() const {
    if (ok)
        return {};
    return caption(syntax ? msg::ExprSyntaxAt : msg::ExprRuntimeAt).arg(position).arg(message);
}

Outcome evaluate(const QString& source, const Environment& env, const Limits& limits) {
    Outcome out;
    try {
        if (source.size() > limits.maxSourceLength)
            fail(1, true, caption(msg::ExprTooLong));
        Parser parser(tokenize(source), limits);
        const NodePtr tree = parser.parseAll();
        Evaluator evaluator(env, limits);
        out.value = evaluator.eval(*tree);
        out.ok = true;
    } catch (const Failure& f) {
        out.position = f.position;
        out.syntax = f.syntax;
        out.message = f.message;
    }
    return out;
}

} // namespace palomex::script
