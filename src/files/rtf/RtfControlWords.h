#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The RTF control words the reader and the writer know, in plain byte order.
// A word's index is its place in this list; the reader's dispatcher switches
// on it and the writer writes a word by it. The list is the vocabulary of the
// RTF 1.x format (Microsoft's "Rich Text Format (RTF) Specification",
// versions 1.5 to 1.9.1) as far as this program reads or writes it, plus the
// words that are this program's own (autosavedorigfmt, autosavedorigname,
// clrltvwdth, collapsedh, deflangcoding, dskcharnr, dskparnr, jpegdata,
// keepnoff, keepoff, pagebboff, sectfullsaved, shpsel, stloverrides,
// tblseltype, wrttarg, wrttargrelto, wrttargtype, zoomtofitpage, zududevuzi),
// which other readers skip.
//
// Words RTF spells with capitals ("trftsWidth") are held in lower case: the
// scanner lowers every word before it looks it up. The words rtf, ansi,
// ansicpg, deff, cb and itap, and the Word 6 numbering formats after "pn"
// (pndec and the like), are deliberately absent and read as unknown words.
//
// One list expands into both the enumeration and the table, so the index
// names cannot drift from the words.
#define REZ_RTF_CONTROL_WORDS(X)                    \
    X(rwAenddoc, "aenddoc")                         \
    X(rwAendnotes, "aendnotes")                     \
    X(rwAftncn, "aftncn")                           \
    X(rwAftnnalc, "aftnnalc")                       \
    X(rwAftnnar, "aftnnar")                         \
    X(rwAftnnauc, "aftnnauc")                       \
    X(rwAftnnchi, "aftnnchi")                       \
    X(rwAftnnrlc, "aftnnrlc")                       \
    X(rwAftnnruc, "aftnnruc")                       \
    X(rwAftnrestart, "aftnrestart")                 \
    X(rwAftnrstcont, "aftnrstcont")                 \
    X(rwAftnsep, "aftnsep")                         \
    X(rwAftnsepc, "aftnsepc")                       \
    X(rwAftnstart, "aftnstart")                     \
    X(rwAlntblind, "alntblind")                     \
    X(rwAlt, "alt")                                 \
    X(rwAnnotation, "annotation")                   \
    X(rwAtnauthor, "atnauthor")                     \
    X(rwAtnicn, "atnicn")                           \
    X(rwAtnid, "atnid")                             \
    X(rwAtnref, "atnref")                           \
    X(rwAtntime, "atntime")                         \
    X(rwAtrfend, "atrfend")                         \
    X(rwAtrfstart, "atrfstart")                     \
    X(rwAuthor, "author")                           \
    X(rwAutosavedorigfmt, "autosavedorigfmt")       \
    X(rwAutosavedorigname, "autosavedorigname")     \
    X(rwB, "b")                                     \
    X(rwBkmkend, "bkmkend")                         \
    X(rwBkmkstart, "bkmkstart")                     \
    X(rwBlue, "blue")                               \
    X(rwBrdrb, "brdrb")                             \
    X(rwBrdrbtw, "brdrbtw")                         \
    X(rwBrdrcf, "brdrcf")                           \
    X(rwBrdrdash, "brdrdash")                       \
    X(rwBrdrdashd, "brdrdashd")                     \
    X(rwBrdrdashdd, "brdrdashdd")                   \
    X(rwBrdrdashdotstr, "brdrdashdotstr")           \
    X(rwBrdrdashsm, "brdrdashsm")                   \
    X(rwBrdrdb, "brdrdb")                           \
    X(rwBrdrdot, "brdrdot")                         \
    X(rwBrdremboss, "brdremboss")                   \
    X(rwBrdrengrave, "brdrengrave")                 \
    X(rwBrdrhair, "brdrhair")                       \
    X(rwBrdrinset, "brdrinset")                     \
    X(rwBrdrl, "brdrl")                             \
    X(rwBrdrnone, "brdrnone")                       \
    X(rwBrdroutset, "brdroutset")                   \
    X(rwBrdrr, "brdrr")                             \
    X(rwBrdrs, "brdrs")                             \
    X(rwBrdrt, "brdrt")                             \
    X(rwBrdrth, "brdrth")                           \
    X(rwBrdrthtnlg, "brdrthtnlg")                   \
    X(rwBrdrthtnmg, "brdrthtnmg")                   \
    X(rwBrdrthtnsg, "brdrthtnsg")                   \
    X(rwBrdrtnthlg, "brdrtnthlg")                   \
    X(rwBrdrtnthmg, "brdrtnthmg")                   \
    X(rwBrdrtnthsg, "brdrtnthsg")                   \
    X(rwBrdrtnthtnlg, "brdrtnthtnlg")               \
    X(rwBrdrtnthtnmg, "brdrtnthtnmg")               \
    X(rwBrdrtnthtnsg, "brdrtnthtnsg")               \
    X(rwBrdrtriple, "brdrtriple")                   \
    X(rwBrdrw, "brdrw")                             \
    X(rwBrdrwavy, "brdrwavy")                       \
    X(rwBrdrwavydb, "brdrwavydb")                   \
    X(rwBrsp, "brsp")                               \
    X(rwBullet, "bullet")                           \
    X(rwBuptim, "buptim")                           \
    X(rwBxe, "bxe")                                 \
    X(rwCaps, "caps")                               \
    X(rwCategory, "category")                       \
    X(rwCbpat, "cbpat")                             \
    X(rwCell, "cell")                               \
    X(rwCellx, "cellx")                             \
    X(rwCf, "cf")                                   \
    X(rwCfpat, "cfpat")                             \
    X(rwCharscalex, "charscalex")                   \
    X(rwChcbpat, "chcbpat")                         \
    X(rwChcfpat, "chcfpat")                         \
    X(rwChftn, "chftn")                             \
    X(rwChftnsep, "chftnsep")                       \
    X(rwChftnsepc, "chftnsepc")                     \
    X(rwChpgn, "chpgn")                             \
    X(rwChshdng, "chshdng")                         \
    X(rwClbrdrb, "clbrdrb")                         \
    X(rwClbrdrl, "clbrdrl")                         \
    X(rwClbrdrr, "clbrdrr")                         \
    X(rwClbrdrt, "clbrdrt")                         \
    X(rwClcbpat, "clcbpat")                         \
    X(rwClcfpat, "clcfpat")                         \
    X(rwClpadb, "clpadb")                           \
    X(rwClpadfb, "clpadfb")                         \
    X(rwClpadfl, "clpadfl")                         \
    X(rwClpadfr, "clpadfr")                         \
    X(rwClpadft, "clpadft")                         \
    X(rwClpadl, "clpadl")                           \
    X(rwClpadr, "clpadr")                           \
    X(rwClpadt, "clpadt")                           \
    X(rwClrltvwdth, "clrltvwdth")                   \
    X(rwClshdng, "clshdng")                         \
    X(rwClvertalb, "clvertalb")                     \
    X(rwClvertalc, "clvertalc")                     \
    X(rwClvertalt, "clvertalt")                     \
    X(rwClvmgf, "clvmgf")                           \
    X(rwClvmrg, "clvmrg")                           \
    X(rwCollapsedh, "collapsedh")                   \
    X(rwColno, "colno")                             \
    X(rwColortbl, "colortbl")                       \
    X(rwCols, "cols")                               \
    X(rwColsr, "colsr")                             \
    X(rwColsx, "colsx")                             \
    X(rwColumn, "column")                           \
    X(rwColw, "colw")                               \
    X(rwComment, "comment")                         \
    X(rwCompany, "company")                         \
    X(rwContextualspace, "contextualspace")         \
    X(rwCpg, "cpg")                                 \
    X(rwCreatim, "creatim")                         \
    X(rwCs, "cs")                                   \
    X(rwCtrl, "ctrl")                               \
    X(rwDatafield, "datafield")                     \
    X(rwDeflang, "deflang")                         \
    X(rwDeflangcoding, "deflangcoding")             \
    X(rwDeftab, "deftab")                           \
    X(rwDeleted, "deleted")                         \
    X(rwDn, "dn")                                   \
    X(rwDo, "do")                                   \
    X(rwDoccomm, "doccomm")                         \
    X(rwDptxbxtext, "dptxbxtext")                   \
    X(rwDropcapli, "dropcapli")                     \
    X(rwDropcapt, "dropcapt")                       \
    X(rwDs, "ds")                                   \
    X(rwDskcharnr, "dskcharnr")                     \
    X(rwDskparnr, "dskparnr")                       \
    X(rwDxfrtext, "dxfrtext")                       \
    X(rwDy, "dy")                                   \
    X(rwEmbo, "embo")                               \
    X(rwEmdash, "emdash")                           \
    X(rwEmfblip, "emfblip")                         \
    X(rwEndash, "endash")                           \
    X(rwEndnhere, "endnhere")                       \
    X(rwExpnd, "expnd")                             \
    X(rwExpndtw, "expndtw")                         \
    X(rwF, "f")                                     \
    X(rwFacingp, "facingp")                         \
    X(rwFalt, "falt")                               \
    X(rwFcharset, "fcharset")                       \
    X(rwFdecor, "fdecor")                           \
    X(rwFet, "fet")                                 \
    X(rwFi, "fi")                                   \
    X(rwField, "field")                             \
    X(rwFile, "file")                               \
    X(rwFiletbl, "filetbl")                         \
    X(rwFldinst, "fldinst")                         \
    X(rwFldrslt, "fldrslt")                         \
    X(rwFmodern, "fmodern")                         \
    X(rwFn, "fn")                                   \
    X(rwFnetwork, "fnetwork")                       \
    X(rwFnil, "fnil")                               \
    X(rwFontemb, "fontemb")                         \
    X(rwFontfile, "fontfile")                       \
    X(rwFonttbl, "fonttbl")                         \
    X(rwFooter, "footer")                           \
    X(rwFooterf, "footerf")                         \
    X(rwFooterl, "footerl")                         \
    X(rwFooterr, "footerr")                         \
    X(rwFootery, "footery")                         \
    X(rwFootnote, "footnote")                       \
    X(rwFprq, "fprq")                               \
    X(rwFroman, "froman")                           \
    X(rwFs, "fs")                                   \
    X(rwFscript, "fscript")                         \
    X(rwFswiss, "fswiss")                           \
    X(rwFtnalt, "ftnalt")                           \
    X(rwFtnbj, "ftnbj")                             \
    X(rwFtncn, "ftncn")                             \
    X(rwFtnnalc, "ftnnalc")                         \
    X(rwFtnnar, "ftnnar")                           \
    X(rwFtnnauc, "ftnnauc")                         \
    X(rwFtnnchi, "ftnnchi")                         \
    X(rwFtnnrlc, "ftnnrlc")                         \
    X(rwFtnnruc, "ftnnruc")                         \
    X(rwFtnrestart, "ftnrestart")                   \
    X(rwFtnrstcont, "ftnrstcont")                   \
    X(rwFtnrstpg, "ftnrstpg")                       \
    X(rwFtnsep, "ftnsep")                           \
    X(rwFtnsepc, "ftnsepc")                         \
    X(rwFtnstart, "ftnstart")                       \
    X(rwFtntj, "ftntj")                             \
    X(rwGenerator, "generator")                     \
    X(rwGreen, "green")                             \
    X(rwHeader, "header")                           \
    X(rwHeaderf, "headerf")                         \
    X(rwHeaderl, "headerl")                         \
    X(rwHeaderr, "headerr")                         \
    X(rwHeadery, "headery")                         \
    X(rwHighlight, "highlight")                     \
    X(rwHr, "hr")                                   \
    X(rwHtmautsp, "htmautsp")                       \
    X(rwHyphauto, "hyphauto")                       \
    X(rwHyphcaps, "hyphcaps")                       \
    X(rwHyphconsec, "hyphconsec")                   \
    X(rwHyphhotz, "hyphhotz")                       \
    X(rwHyphpar, "hyphpar")                         \
    X(rwI, "i")                                     \
    X(rwIlvl, "ilvl")                               \
    X(rwImpr, "impr")                               \
    X(rwInfo, "info")                               \
    X(rwIntbl, "intbl")                             \
    X(rwIxe, "ixe")                                 \
    X(rwJclisttab, "jclisttab")                     \
    X(rwJpegblip, "jpegblip")                       \
    X(rwJpegdata, "jpegdata")                       \
    X(rwKeep, "keep")                               \
    X(rwKeepn, "keepn")                             \
    X(rwKeepnoff, "keepnoff")                       \
    X(rwKeepoff, "keepoff")                         \
    X(rwKerning, "kerning")                         \
    X(rwKeycode, "keycode")                         \
    X(rwKeywords, "keywords")                       \
    X(rwLandscape, "landscape")                     \
    X(rwLang, "lang")                               \
    X(rwLdblquote, "ldblquote")                     \
    X(rwLevelfollow, "levelfollow")                 \
    X(rwLeveljc, "leveljc")                         \
    X(rwLevellegal, "levellegal")                   \
    X(rwLevelnfc, "levelnfc")                       \
    X(rwLevelnorestart, "levelnorestart")           \
    X(rwLevelnumbers, "levelnumbers")               \
    X(rwLevelpicture, "levelpicture")               \
    X(rwLevelstartat, "levelstartat")               \
    X(rwLeveltext, "leveltext")                     \
    X(rwLfolevel, "lfolevel")                       \
    X(rwLi, "li")                                   \
    X(rwLine, "line")                               \
    X(rwLinebetcol, "linebetcol")                   \
    X(rwLinecont, "linecont")                       \
    X(rwLinemod, "linemod")                         \
    X(rwLineppage, "lineppage")                     \
    X(rwLinerestart, "linerestart")                 \
    X(rwLinestarts, "linestarts")                   \
    X(rwLinex, "linex")                             \
    X(rwList, "list")                               \
    X(rwListhybrid, "listhybrid")                   \
    X(rwListid, "listid")                           \
    X(rwListlevel, "listlevel")                     \
    X(rwListoverride, "listoverride")               \
    X(rwListoverridecount, "listoverridecount")     \
    X(rwListoverridestartat, "listoverridestartat") \
    X(rwListoverridetable, "listoverridetable")     \
    X(rwListpicture, "listpicture")                 \
    X(rwListsimple, "listsimple")                   \
    X(rwListtable, "listtable")                     \
    X(rwListtext, "listtext")                       \
    X(rwLndscpsxn, "lndscpsxn")                     \
    X(rwLquote, "lquote")                           \
    X(rwLs, "ls")                                   \
    X(rwMac, "mac")                                 \
    X(rwManager, "manager")                         \
    X(rwMargb, "margb")                             \
    X(rwMargbsxn, "margbsxn")                       \
    X(rwMargl, "margl")                             \
    X(rwMarglsxn, "marglsxn")                       \
    X(rwMargmirror, "margmirror")                   \
    X(rwMargr, "margr")                             \
    X(rwMargrsxn, "margrsxn")                       \
    X(rwMargt, "margt")                             \
    X(rwMargtsxn, "margtsxn")                       \
    X(rwMin, "min")                                 \
    X(rwMo, "mo")                                   \
    X(rwNextfile, "nextfile")                       \
    X(rwNofchars, "nofchars")                       \
    X(rwNofcharsws, "nofcharsws")                   \
    X(rwNofpages, "nofpages")                       \
    X(rwNofwords, "nofwords")                       \
    X(rwNoline, "noline")                           \
    X(rwNonshppict, "nonshppict")                   \
    X(rwNosupersub, "nosupersub")                   \
    X(rwNowidctlpar, "nowidctlpar")                 \
    X(rwObjalias, "objalias")                       \
    X(rwObjclass, "objclass")                       \
    X(rwObjdata, "objdata")                         \
    X(rwObject, "object")                           \
    X(rwObjname, "objname")                         \
    X(rwObjsect, "objsect")                         \
    X(rwObjtime, "objtime")                         \
    X(rwOperator, "operator")                       \
    X(rwOutl, "outl")                               \
    X(rwOutlinelevel, "outlinelevel")               \
    X(rwPage, "page")                               \
    X(rwPagebb, "pagebb")                           \
    X(rwPagebboff, "pagebboff")                     \
    X(rwPaperh, "paperh")                           \
    X(rwPaperw, "paperw")                           \
    X(rwPar, "par")                                 \
    X(rwPard, "pard")                               \
    X(rwPghsxn, "pghsxn")                           \
    X(rwPgncont, "pgncont")                         \
    X(rwPgndec, "pgndec")                           \
    X(rwPgnlcltr, "pgnlcltr")                       \
    X(rwPgnlcrm, "pgnlcrm")                         \
    X(rwPgnrestart, "pgnrestart")                   \
    X(rwPgnstarts, "pgnstarts")                     \
    X(rwPgnucltr, "pgnucltr")                       \
    X(rwPgnucrm, "pgnucrm")                         \
    X(rwPgwsxn, "pgwsxn")                           \
    X(rwPich, "pich")                               \
    X(rwPichgoal, "pichgoal")                       \
    X(rwPicprop, "picprop")                         \
    X(rwPicscalex, "picscalex")                     \
    X(rwPicscaley, "picscaley")                     \
    X(rwPict, "pict")                               \
    X(rwPicw, "picw")                               \
    X(rwPicwgoal, "picwgoal")                       \
    X(rwPlain, "plain")                             \
    X(rwPn, "pn")                                   \
    X(rwPnf, "pnf")                                 \
    X(rwPngblip, "pngblip")                         \
    X(rwPnhang, "pnhang")                           \
    X(rwPnindent, "pnindent")                       \
    X(rwPnlvl, "pnlvl")                             \
    X(rwPnlvlblt, "pnlvlblt")                       \
    X(rwPnprev, "pnprev")                           \
    X(rwPnseclvl, "pnseclvl")                       \
    X(rwPnstart, "pnstart")                         \
    X(rwPntext, "pntext")                           \
    X(rwPntxta, "pntxta")                           \
    X(rwPntxtb, "pntxtb")                           \
    X(rwPrintim, "printim")                         \
    X(rwPrivate1, "private1")                       \
    X(rwQc, "qc")                                   \
    X(rwQj, "qj")                                   \
    X(rwQl, "ql")                                   \
    X(rwQr, "qr")                                   \
    X(rwRdblquote, "rdblquote")                     \
    X(rwRed, "red")                                 \
    X(rwResult, "result")                           \
    X(rwRevtbl, "revtbl")                           \
    X(rwRevtim, "revtim")                           \
    X(rwRi, "ri")                                   \
    X(rwRow, "row")                                 \
    X(rwRquote, "rquote")                           \
    X(rwRxe, "rxe")                                 \
    X(rwS, "s")                                     \
    X(rwSa, "sa")                                   \
    X(rwSaauto, "saauto")                           \
    X(rwSaftnnalc, "saftnnalc")                     \
    X(rwSaftnnar, "saftnnar")                       \
    X(rwSaftnnauc, "saftnnauc")                     \
    X(rwSaftnnchi, "saftnnchi")                     \
    X(rwSaftnnrlc, "saftnnrlc")                     \
    X(rwSaftnnruc, "saftnnruc")                     \
    X(rwSaftnrestart, "saftnrestart")               \
    X(rwSaftnrstcont, "saftnrstcont")               \
    X(rwSaftnstart, "saftnstart")                   \
    X(rwSb, "sb")                                   \
    X(rwSbasedon, "sbasedon")                       \
    X(rwSbauto, "sbauto")                           \
    X(rwSbkcol, "sbkcol")                           \
    X(rwSbkeven, "sbkeven")                         \
    X(rwSbknone, "sbknone")                         \
    X(rwSbkodd, "sbkodd")                           \
    X(rwSbkpage, "sbkpage")                         \
    X(rwScaps, "scaps")                             \
    X(rwSec, "sec")                                 \
    X(rwSect, "sect")                               \
    X(rwSectd, "sectd")                             \
    X(rwSectfullsaved, "sectfullsaved")             \
    X(rwSftnbj, "sftnbj")                           \
    X(rwSftnnalc, "sftnnalc")                       \
    X(rwSftnnar, "sftnnar")                         \
    X(rwSftnnauc, "sftnnauc")                       \
    X(rwSftnnchi, "sftnnchi")                       \
    X(rwSftnnrlc, "sftnnrlc")                       \
    X(rwSftnnruc, "sftnnruc")                       \
    X(rwSftnrestart, "sftnrestart")                 \
    X(rwSftnrstcont, "sftnrstcont")                 \
    X(rwSftnrstpg, "sftnrstpg")                     \
    X(rwSftnstart, "sftnstart")                     \
    X(rwSftntj, "sftntj")                           \
    X(rwShad, "shad")                               \
    X(rwShading, "shading")                         \
    X(rwShift, "shift")                             \
    X(rwShp, "shp")                                 \
    X(rwShpbottom, "shpbottom")                     \
    X(rwShpbottompg, "shpbottompg")                 \
    X(rwShpfhdr, "shpfhdr")                         \
    X(rwShpinst, "shpinst")                         \
    X(rwShpleft, "shpleft")                         \
    X(rwShpleftpg, "shpleftpg")                     \
    X(rwShppict, "shppict")                         \
    X(rwShpright, "shpright")                       \
    X(rwShprightpg, "shprightpg")                   \
    X(rwShprslt, "shprslt")                         \
    X(rwShpsel, "shpsel")                           \
    X(rwShptop, "shptop")                           \
    X(rwShptoppg, "shptoppg")                       \
    X(rwShptxt, "shptxt")                           \
    X(rwShpwr, "shpwr")                             \
    X(rwShpwrk, "shpwrk")                           \
    X(rwShpz, "shpz")                               \
    X(rwSl, "sl")                                   \
    X(rwSlmult, "slmult")                           \
    X(rwSn, "sn")                                   \
    X(rwSnext, "snext")                             \
    X(rwSp, "sp")                                   \
    X(rwStloverrides, "stloverrides")               \
    X(rwStrike, "strike")                           \
    X(rwStriked, "striked")                         \
    X(rwStylesheet, "stylesheet")                   \
    X(rwSub, "sub")                                 \
    X(rwSubject, "subject")                         \
    X(rwSuper, "super")                             \
    X(rwSv, "sv")                                   \
    X(rwTab, "tab")                                 \
    X(rwTb, "tb")                                   \
    X(rwTblseltype, "tblseltype")                   \
    X(rwTc, "tc")                                   \
    X(rwTemplate, "template")                       \
    X(rwTitle, "title")                             \
    X(rwTitlepg, "titlepg")                         \
    X(rwTldot, "tldot")                             \
    X(rwTlhyph, "tlhyph")                           \
    X(rwTlul, "tlul")                               \
    X(rwTqc, "tqc")                                 \
    X(rwTqdec, "tqdec")                             \
    X(rwTqr, "tqr")                                 \
    X(rwTrbrdrb, "trbrdrb")                         \
    X(rwTrbrdrh, "trbrdrh")                         \
    X(rwTrbrdrl, "trbrdrl")                         \
    X(rwTrbrdrr, "trbrdrr")                         \
    X(rwTrbrdrt, "trbrdrt")                         \
    X(rwTrbrdrv, "trbrdrv")                         \
    X(rwTrcbpat, "trcbpat")                         \
    X(rwTrcfpat, "trcfpat")                         \
    X(rwTrftswidth, "trftswidth")                   \
    X(rwTrgaph, "trgaph")                           \
    X(rwTrhdr, "trhdr")                             \
    X(rwTrkeep, "trkeep")                           \
    X(rwTrleft, "trleft")                           \
    X(rwTrowd, "trowd")                             \
    X(rwTrpaddb, "trpaddb")                         \
    X(rwTrpaddfb, "trpaddfb")                       \
    X(rwTrpaddfl, "trpaddfl")                       \
    X(rwTrpaddfr, "trpaddfr")                       \
    X(rwTrpaddft, "trpaddft")                       \
    X(rwTrpaddl, "trpaddl")                         \
    X(rwTrpaddr, "trpaddr")                         \
    X(rwTrpaddt, "trpaddt")                         \
    X(rwTrqc, "trqc")                               \
    X(rwTrql, "trql")                               \
    X(rwTrqr, "trqr")                               \
    X(rwTrrh, "trrh")                               \
    X(rwTrshdng, "trshdng")                         \
    X(rwTrwwidth, "trwwidth")                       \
    X(rwTx, "tx")                                   \
    X(rwTxe, "txe")                                 \
    X(rwU, "u")                                     \
    X(rwUc, "uc")                                   \
    X(rwUd, "ud")                                   \
    X(rwUl, "ul")                                   \
    X(rwUlc, "ulc")                                 \
    X(rwUld, "uld")                                 \
    X(rwUldash, "uldash")                           \
    X(rwUldashd, "uldashd")                         \
    X(rwUldashdd, "uldashdd")                       \
    X(rwUldb, "uldb")                               \
    X(rwUlhwave, "ulhwave")                         \
    X(rwUlldash, "ulldash")                         \
    X(rwUlnone, "ulnone")                           \
    X(rwUlth, "ulth")                               \
    X(rwUlthd, "ulthd")                             \
    X(rwUlthdash, "ulthdash")                       \
    X(rwUlthdashd, "ulthdashd")                     \
    X(rwUlthdashdd, "ulthdashdd")                   \
    X(rwUlthldash, "ulthldash")                     \
    X(rwUluldbwave, "ululdbwave")                   \
    X(rwUlw, "ulw")                                 \
    X(rwUlwave, "ulwave")                           \
    X(rwUp, "up")                                   \
    X(rwUpr, "upr")                                 \
    X(rwUseltbaln, "useltbaln")                     \
    X(rwVersion, "version")                         \
    X(rwViewscale, "viewscale")                     \
    X(rwViewzk, "viewzk")                           \
    X(rwWidctlpar, "widctlpar")                     \
    X(rwWidowctrl, "widowctrl")                     \
    X(rwWmetafile, "wmetafile")                     \
    X(rwWrttarg, "wrttarg")                         \
    X(rwWrttargrelto, "wrttargrelto")               \
    X(rwWrttargtype, "wrttargtype")                 \
    X(rwXe, "xe")                                   \
    X(rwYr, "yr")                                   \
    X(rwYxe, "yxe")                                 \
    X(rwZoomtofitpage, "zoomtofitpage")             \
    X(rwZududevuzi, "zududevuzi")

// The index of every word: rw + the word with a capital first letter.
enum TRtfWord : std::int16_t {
#define REZ_RTF_WORD_ID(id, text) id,
    REZ_RTF_CONTROL_WORDS(REZ_RTF_WORD_ID)
#undef REZ_RTF_WORD_ID
};

// The number of control words, and the value the look-up gives for a word
// that is not among them.
constexpr int RtfControlWordCount = 496;
constexpr int RtfUnknownWord = -1;

inline constexpr std::array<std::string_view, RtfControlWordCount> RtfControlWords = {
#define REZ_RTF_WORD_TEXT(id, text) text,
    REZ_RTF_CONTROL_WORDS(REZ_RTF_WORD_TEXT)
#undef REZ_RTF_WORD_TEXT
};

// The longest word; a scanned word with more letters is unknown without a
// look-up.
constexpr std::size_t LongestRtfControlWord = 19;

namespace RtfControlWordChecks {

// The look-up finds the longer words of a two-letter prefix as one run of
// the table, which holds only while the table is in byte order without
// duplicates; every word is lower-case ASCII letters and digits, and the
// first two places hold letters, since the index keys on them.
constexpr bool IsStrictlyInByteOrder() {
    for (std::size_t i = 1; i < RtfControlWords.size(); ++i)
        if (!(RtfControlWords[i - 1] < RtfControlWords[i]))
            return false;
    return true;
}

constexpr bool HasOnlyLowerLettersAndDigits() {
    for (std::string_view word : RtfControlWords) {
        if (word.empty() || word.size() > LongestRtfControlWord || word[0] < 'a' || word[0] > 'z')
            return false;
        if (word.size() > 1 && (word[1] < 'a' || word[1] > 'z'))
            return false;
        for (char c : word)
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
                return false;
    }
    return true;
}

static_assert(RtfControlWords.size() == 496 && rwZududevuzi == 495, "the table holds 496 words");
static_assert(IsStrictlyInByteOrder(), "the control words must stay in plain byte order");
static_assert(HasOnlyLowerLettersAndDigits(), "control words are lower-case ASCII");

}  // namespace RtfControlWordChecks
