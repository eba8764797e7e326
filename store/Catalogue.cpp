#include "store/Catalogue.h"

#include "store/Schema.h"

#include <array>

namespace Zt_typro
{
namespace
{
// Payee lists come most used first; payees used equally often keep the order they were added.
const std::array<Statement, 26> kCatalogue = {{
    {Stmt::S1, "S1", "select skrmc from skr order by cs desc, rowid", {}},
    {Stmt::S2, "S2", "select skrmc from skr order by cs desc, rowid", {}},
    {Stmt::S3, "S3", "select skrmc, zh, khh, cs from skr order by cs desc, rowid", {}},
    {Stmt::S4, "S4", "select skrmc, zh, khh, cs from skr order by cs desc, rowid", {}},
    {Stmt::S5, "S5", "select skrmc, zh, khh, cs from skr where skrmc = ? order by rowid", {QString()}},
    {Stmt::S6, "S6", "select skrmc, zh, khh, cs from skr where skrmc = ? order by rowid", {QString()}},
    {Stmt::S7, "S7", "insert into skr (skrmc) values (?)", {QStringLiteral("skr.skrmc")}},
    {Stmt::S8, "S8", "update skr set cs = cs + 1 where skrmc = ?", {QString()}},
    {Stmt::S9, "S9", "select skrmc, zh, khh, cs from skr where skrmc = ? order by rowid", {QString()}},
    {Stmt::S10,
     "S10",
     "insert into skr (skrmc, zh, khh) values (?, ?, ?)",
     {QStringLiteral("skr.skrmc"), QStringLiteral("skr.zh"), QStringLiteral("skr.khh")}},
    {Stmt::S11,
     "S11",
     "update skr set zh = ?, khh = ? where skrmc = ?",
     {QStringLiteral("skr.zh"), QStringLiteral("skr.khh"), QString()}},
    {Stmt::Z1,
     "Z1",
     "insert into zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
     {QStringLiteral("zp.ph"), QStringLiteral("zp.skr"), QStringLiteral("zp.je"), QStringLiteral("zp.yt"),
      QStringLiteral("zp.nian"), QStringLiteral("zp.yue"), QStringLiteral("zp.ri"), QStringLiteral("zp.fjxx"),
      QStringLiteral("zp.rq"), QStringLiteral("zp.hkfs")}},
    // The register searches show each cheque's state (zt) from its history.
    {Stmt::Z2,
     "Z2",
     "select ph, rq, skr, je, yt, hkfs, " CHEQUE_STATE_SQL " as zt from zp where ph = ? order by rowid",
     {QString()}},
    {Stmt::Z3,
     "Z3",
     "select ph, rq, skr, je, yt, hkfs, " CHEQUE_STATE_SQL " as zt from zp where rq between ? and ? order by rowid",
     {QString(), QString()}},
    {Stmt::Z4,
     "Z4",
     "select ph, rq, skr, je, yt, hkfs, " CHEQUE_STATE_SQL " as zt from zp where skr = ? order by rowid",
     {QString()}},
    // The cheques of a number, with their state: asked about before the same number is stored again.
    {Stmt::Z5,
     "Z5",
     "select rowid as zpid, rq, skr, je, " CHEQUE_STATE_SQL " as zt from zp where ph = ? order by rowid",
     {QString()}},
    // One cheque as stored, with its state: printed again from the register.
    {Stmt::Z6,
     "Z6",
     "select ph, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq, " CHEQUE_STATE_SQL " as zt from zp where rowid = ?",
     {QString()}},
    // The row key of the cheque just stored on this connection.
    {Stmt::Z7, "Z7", "select last_insert_rowid() as zpid", {}},
    // A cheque's history: events are only ever added.
    {Stmt::E1,
     "E1",
     "insert into zpls (zpid, sj, sm, czy, fssj) values (?, ?, ?, ?, ?)",
     {QStringLiteral("zpls.zpid"), QStringLiteral("zpls.sj"), QStringLiteral("zpls.sm"), QStringLiteral("zpls.czy"),
      QStringLiteral("zpls.fssj")}},
    {Stmt::E2, "E2", "select fssj, sj, sm, czy from zpls where zpid = ? order by rowid", {QString()}},
    {Stmt::P1, "P1", "select kjmc, kjx, kjy, win, kjyy, dy from prn where win = ? order by rowid", {QString()}},
    {Stmt::P2,
     "P2",
     "select rowid as row_id, kjmc, kjx, kjy, win, kjyy, dy from prn where win = ? order by kjx",
     {QString()}},
    {Stmt::P3,
     "P3",
     "update prn set kjx = ?, kjy = ? where kjmc = ? and win = ?",
     {QStringLiteral("prn.kjx"), QStringLiteral("prn.kjy"), QString(), QString()}},
    {Stmt::R1, "R1", "update prn set dy = ? where rowid = ?", {QStringLiteral("prn.dy"), QString()}},
    // Taken inside the transaction that stores a cheque, before its number is looked up: two
    // clerks storing the same number at the same moment then come one after the other. The file
    // needs nothing more than the write lock the transaction already holds.
    {Stmt::Z8, "Z8", "select ? as ph", {QString()}},
    // The cheques of a number as stored, with their row keys: a print kept on the computer finds
    // its cheque again in a register that was replaced meanwhile.
    {Stmt::Z9,
     "Z9",
     "select rowid as zpid, ph, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq, " CHEQUE_STATE_SQL
     " as zt from zp where ph = ? order by rowid",
     {QString()}},
}};

// The statements the shared server runs in a text of its own. No operator writes a cheque, an
// event or a payee directly there: the server's functions do (store/SharedRegister.cpp), with the
// same parameters as the local file's statements. Adding a cheque also counts its payee's use, so
// the count statement only reads it there. Two clerks may add the same new payee at the same
// moment: the second finds the first one's row and counts its use there (as the count statement
// would have), so the payee is there once with both uses. A voucher's new payee that another clerk
// added meanwhile gets the account and bank as typed, as a known one does.
const char* serverText(Stmt id)
{
    switch (id) {
    case Stmt::S7:
        return "select quillmate_add_payee(?)";
    case Stmt::S8:
        return "select cs from skr where skrmc = ?";
    case Stmt::S10:
        return "select quillmate_add_payee(?, ?, ?)";
    case Stmt::S11:
        return "select quillmate_set_payee_account(?, ?, ?)";
    case Stmt::Z1:
        return "select quillmate_add_cheque(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    case Stmt::E1:
        return "select quillmate_add_event(?, ?, ?, ?, ?)";
    case Stmt::Z7:
        return "select currval(pg_get_serial_sequence('zp', 'rowid')) as zpid";
    case Stmt::Z8:
        return "select pg_advisory_xact_lock(hashtextextended(?, 20261211)) is null as locked";
    default:
        return nullptr;
    }
}
} // namespace

QString StatementText(Stmt id, Dialect dialect)
{
    if (dialect == Dialect::Server) {
        if (const char* text = serverText(id))
            return QString::fromUtf8(text);
    }
    return QString::fromUtf8(CatalogueStatement(id).sql);
}

const Statement& CatalogueStatement(Stmt id)
{
    return kCatalogue[static_cast<std::size_t>(id)];
}

QString StatementName(Stmt id)
{
    return QString::fromLatin1(CatalogueStatement(id).name);
}

} // namespace Zt_typro
