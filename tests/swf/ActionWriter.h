#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <vector>

// Writes action bytecode for the engine's tests: pushes, plain actions,
// branches to labels, functions, `with` and `try` blocks.
class ActionWriter
{
public:
    // Pushes strings (QString), numbers (int, double), booleans; an
    // invalid QVariant pushes undefined, Null() null, Reg(n) register n.
    ActionWriter &push(const QVariantList &values);
    static QVariant Null();
    static QVariant Reg(int n);
    ActionWriter &op(int code);
    // An action with a body of its own bytes.
    ActionWriter &record(int code, const QByteArray &body);
    // Jump (0x99) or If (0x9D) to a label placed before or after.
    ActionWriter &branch(int code, const QString &label);
    ActionWriter &label(const QString &name);
    ActionWriter &storeRegister(int n);
    ActionWriter &setTarget(const QString &path);
    ActionWriter &defineFunction(const QString &name, const QStringList &params, const ActionWriter &body);
    // DefineFunction2: parameters as (name, register) pairs.
    ActionWriter &defineFunction2(const QString &name, int registers, unsigned flags,
                                  const std::vector<std::pair<QString, int>> &params,
                                  const ActionWriter &body);
    ActionWriter &with(const ActionWriter &body);
    // try {body} catch (name) {handler} finally {last}; an empty name: no catch.
    ActionWriter &tryBlock(const ActionWriter &body, const QString &name, const ActionWriter &handler,
                           const ActionWriter *last = nullptr);

    // trace(pop()), and a few common short-hands.
    ActionWriter &trace() { return op(0x26); }
    ActionWriter &traceValue(const QVariant &v) { return push({v}).trace(); }

    // The bytes, branches resolved, without the closing 0.
    QByteArray bytes() const;

private:
    struct Branch
    {
        int at;                      // offset of the branch's 16-bit field
        QString label;
    };
    QByteArray m_code;
    std::vector<Branch> m_branches;
    std::vector<std::pair<QString, int>> m_labels;
};
