# The AppStream file that desktop software centres list the program from:
# ${MARROWFOLD_METAINFO}, made from data/marrowfold.metainfo.xml.in.

set(MARROWFOLD_APPSTREAM_ID "org.marrowfold.marrowfold")
# Software centres show the screenshot from the web, never from the package. It is the
# manual's picture of the main window (marrowfold_manual --shots writes it as
# main-numbered.png). Until it is published somewhere, the entry names no screenshot: an
# address that does not exist would show as a broken picture.
set(MARROWFOLD_SCREENSHOT_URL "" CACHE STRING
    "Web address of the published screenshot the software centres show (none when empty)")
set(MARROWFOLD_SCREENSHOTS "")
if(MARROWFOLD_SCREENSHOT_URL)
    string(CONCAT MARROWFOLD_SCREENSHOTS
        "  <screenshots>\n"
        "    <screenshot type=\"default\">\n"
        "      <caption>The main window after numbering: the project and its photo folders</caption>\n"
        "      <caption xml:lang=\"ja\">メイン画面：連番ファイルを作った後のプロジェクトと画像フォルダの一覧</caption>\n"
        "      <image>${MARROWFOLD_SCREENSHOT_URL}</image>\n"
        "    </screenshot>\n"
        "  </screenshots>\n")
endif()

# The release date is that of the version's changelog entry, whose trailer line reads
# " -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000". Packaging.cmake refuses a changelog
# whose first entry is not this version's, so the first trailer is this version's.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../data/debian/changelog MARROWFOLD_CHANGELOG_TRAILER
     REGEX "^ -- .*>  " LIMIT_COUNT 1)
set(MARROWFOLD_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
if(MARROWFOLD_CHANGELOG_TRAILER MATCHES
   ">  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(MARROWFOLD_DAY "${CMAKE_MATCH_1}")
    set(MARROWFOLD_YEAR "${CMAKE_MATCH_3}")
    list(FIND MARROWFOLD_MONTHS "${CMAKE_MATCH_2}" MARROWFOLD_MONTH)
endif()
if(NOT DEFINED MARROWFOLD_MONTH OR MARROWFOLD_MONTH LESS 0)
    message(FATAL_ERROR "data/debian/changelog: no date found in the first entry's trailer "
                        "\"${MARROWFOLD_CHANGELOG_TRAILER}\"")
endif()
math(EXPR MARROWFOLD_MONTH "${MARROWFOLD_MONTH} + 1")
# Two digits each: the changelog writes the day as 8 or 08.
string(REGEX REPLACE "^([0-9])$" "0\\1" MARROWFOLD_DAY "${MARROWFOLD_DAY}")
string(REGEX REPLACE "^([0-9])$" "0\\1" MARROWFOLD_MONTH "${MARROWFOLD_MONTH}")
set(MARROWFOLD_RELEASE_DATE "${MARROWFOLD_YEAR}-${MARROWFOLD_MONTH}-${MARROWFOLD_DAY}")

set(MARROWFOLD_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/${MARROWFOLD_APPSTREAM_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../data/marrowfold.metainfo.xml.in
               ${MARROWFOLD_METAINFO} @ONLY)
