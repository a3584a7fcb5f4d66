# Precompiled headers: Qt's headers and the standard library's, read once per
# set instead of once per file. Each set is compiled by one target (its donor)
# and every target built with the same definitions reuses that one:
#
#   core         puckdex_core, with the strict string definitions; reused by
#                the sample, puckdex_cli, puckdex-cli, the write probe, the
#                fuzz targets and the file benchmark
#   gui          puckdex_gui, strict, QtWidgets too; reused by the window
#                program's main(), the render tool and the window benchmark
#   tests        puckdex_testsupport, QtTest over QtCore; reused by the
#                suites without windows
#   widgettests  puckdex_testpch, QtTest with QtWidgets; reused by the
#                window suites
#
# A set holds only Qt's and the standard headers, never the project's own, so
# that each library still sees only its own folder, and tests/layering.sh
# still sees every include. A target that reuses a set must have the donor's
# compile definitions (GCC checks them and warns with -Winvalid-pch, which
# CMake passes); a target with other definitions gets none.
#
# -DPUCKDEX_PCH=OFF builds without them (every file still includes what it
# uses, and a build without them shows when one does not).

option(PUCKDEX_PCH "Precompile Qt's and the standard headers (see cmake/Precompile.cmake)" ON)

set(_puckdex_pch_std
    <algorithm> <array> <cmath> <functional> <limits> <memory> <optional> <utility>)
set(_puckdex_pch_core
    <QByteArray> <QByteArrayView> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo>
    <QHash> <QJsonArray> <QJsonDocument> <QJsonObject> <QList> <QMap> <QObject> <QSet>
    <QString> <QStringList> <QStringView> <QTextStream> <QtGlobal>)
set(_puckdex_pch_widgets
    <QAbstractButton> <QAbstractItemView> <QApplication> <QCheckBox> <QComboBox> <QDialog>
    <QGroupBox> <QHeaderView> <QKeyEvent> <QLabel> <QLineEdit> <QListWidget> <QMouseEvent>
    <QPointer> <QPushButton> <QRadioButton> <QStandardItemModel> <QStyle> <QTimer>
    <QTreeView> <QVariant> <QWidget>)
set(_puckdex_pch_test
    <QProcess> <QScopeGuard> <QStandardPaths> <QTemporaryDir> <QTest>)

set(PUCKDEX_PCH_core ${_puckdex_pch_std} ${_puckdex_pch_core})
set(PUCKDEX_PCH_gui ${PUCKDEX_PCH_core} ${_puckdex_pch_widgets})
set(PUCKDEX_PCH_tests ${PUCKDEX_PCH_core} ${_puckdex_pch_test})
set(PUCKDEX_PCH_widgettests ${PUCKDEX_PCH_gui} ${_puckdex_pch_test})

# puckdex_precompile(TARGET SET): TARGET compiles the headers of SET (core,
# gui, tests, widgettests) for itself and the targets that reuse them.
function(puckdex_precompile target set)
    if(NOT DEFINED PUCKDEX_PCH_${set})
        message(FATAL_ERROR "puckdex_precompile: no header set \"${set}\"")
    endif()
    if(PUCKDEX_PCH)
        target_precompile_headers(${target} PRIVATE ${PUCKDEX_PCH_${set}})
        _puckdex_pch_skip_moc(${target})
    endif()
endfunction()

# puckdex_reuse_pch(DONOR TARGET...): each TARGET uses the headers DONOR
# compiled; each must have DONOR's compile definitions.
function(puckdex_reuse_pch donor)
    if(PUCKDEX_PCH)
        foreach(target ${ARGN})
            target_precompile_headers(${target} REUSE_FROM ${donor})
            _puckdex_pch_skip_moc(${target})
        endforeach()
    endif()
endfunction()

# The file in which AUTOMOC gathers a target's moc output is empty where the
# sources include their own .moc files (the suites) or nothing needs moc;
# loading a precompiled header costs more than such a file. Only the window
# library's holds its classes' moc output, which the headers serve.
function(_puckdex_pch_skip_moc target)
    get_target_property(automoc ${target} AUTOMOC)
    if(automoc AND NOT target STREQUAL "puckdex_gui")
        set_source_files_properties(
            ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
endfunction()
