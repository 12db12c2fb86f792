#!/bin/bash
# Draws the program's icon (quintaxel/quintaxel.ico, 16x16 and 32x32) and the sixteen pictures of
# the help pages, once per language, into help/english and help/russian. They are committed; run
# this only to change them. Everything is drawn
# from shapes and one font file, with no noise and no metadata (-strip), so a second run gives
# the same bytes.
set -euo pipefail
cd "$(dirname "$0")"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

TITLE_BLUE='#1f5fa8'
FACE='#ece9e4'
SELECT='#316ac5'

# The texts of one language; the pictures show the program's own wording.
set_language() {
  if [ "$1" = english ]; then
    FILE=File VIEW=View HELP=Help EXIT=Exit LARGE='Large text' CONTENTS=Contents
    ABOUT='About Quintaxel' WELCOME='Welcome to Quintaxel' PROGRAMS=Programs
    HOMEPAGE='Home page' HELPLINK=Help UNINSTALL=Uninstall TITLEBAR='Title bar'
    MENUBAR='Menu bar' HELPTITLE='Quintaxel help' STEP='Step 1 of 7: Language'
    NEXT='Next >>' CANCEL=Cancel LINK1='Starting Quintaxel' LINK2='The menus'
    LINK3='Languages' INTERFACE='Interface language: English' SELECTED=English
    SETUP='Quintaxel setup'
    MENU_X=(6 32 62 90)
  else
    FILE=Файл VIEW=Вид HELP=Справка EXIT=Выход LARGE='Крупный текст' CONTENTS=Содержание
    ABOUT='О программе' WELCOME='Добро пожаловать' PROGRAMS=Программы
    HOMEPAGE='Домашняя страница' HELPLINK=Справка UNINSTALL=Удаление TITLEBAR='Заголовок'
    MENUBAR='Строка меню' HELPTITLE='Справка Quintaxel' STEP='Шаг 1 из 7: Язык'
    NEXT='Далее >>' CANCEL=Отмена LINK1='Запуск Quintaxel' LINK2='Меню программы'
    LINK3='Языки' INTERFACE='Язык интерфейса: русский' SELECTED=Русский
    SETUP='Установка Quintaxel'
    MENU_X=(6 40 66 114)
  fi
}

# The program's icon at 10x10 pixels from (x, y): the draw primitives for -draw.
icon_at() {
  local x=$1 y=$2
  echo "fill $TITLE_BLUE stroke none roundrectangle $x,$y $((x + 10)),$((y + 10)) 2,2" \
       "fill none stroke white stroke-width 1.5 circle $((x + 5)),$((y + 5)) $((x + 5)),$((y + 2))" \
       "line $((x + 6)),$((y + 6)) $((x + 9)),$((y + 9))"
}

# Grey bars that stand for lines of text: from y down, n lines about `width` long.
text_lines() {
  local y=$1 n=$2 width=$3 height=${4:-3} primitives= i
  for ((i = 0; i < n; i++)); do
    local top=$((y + i * (height + 5)))
    primitives+=" rectangle 12,$top $((12 + width - (i % 2) * 30)),$((top + height))"
  done
  echo "$primitives"
}

# A 200x120 picture of the main window with the program's menu bar, written to `out`; `menu`
# (file, view, help or none) is shown opened. Further arguments are drawn on the client area.
window() {
  local out=$1 title=$2 menu=$3
  shift 3
  local -a colour=(black black black)
  local highlight='point 0,0'  # hidden under the border when no menu is open
  case $menu in
    file) highlight="rectangle $((MENU_X[0] - 3)),19 $((MENU_X[1] - 4)),31" colour[0]=white ;;
    view) highlight="rectangle $((MENU_X[1] - 3)),19 $((MENU_X[2] - 4)),31" colour[1]=white ;;
    help) highlight="rectangle $((MENU_X[2] - 3)),19 $((MENU_X[3])),31" colour[2]=white ;;
  esac
  convert -size 200x120 xc:"$FACE" -stroke none \
    -fill '#7a7a7a' -draw 'rectangle 0,0 199,119' -fill "$FACE" -draw 'rectangle 1,1 198,118' \
    -fill "$TITLE_BLUE" -draw 'rectangle 2,2 197,17' -draw "$(icon_at 4 4)" \
    -font "$BOLD" -pointsize 10 -fill white -annotate +18+13 "$title" \
    -fill white -draw 'rectangle 2,33 197,117' \
    -fill "$SELECT" -draw "$highlight" -font "$FONT" -pointsize 9 \
    -fill "${colour[0]}" -annotate "+${MENU_X[0]}+29" "$FILE" \
    -fill "${colour[1]}" -annotate "+${MENU_X[1]}+29" "$VIEW" \
    -fill "${colour[2]}" -annotate "+${MENU_X[2]}+29" "$HELP" \
    "$@" -quality 70 -strip "$out"
}

# The main window with one menu opened: the menu (its index in MENU_X, and its name for
# `window`), the highlighted item (from 1, 0 for none) and the items; "-" is a separator.
menu_picture() {
  local out=$1 menu=$2 index=$3 selected=$4
  shift 4
  local x=$((MENU_X[index] - 3)) height=$(($# * 14 + 4)) i=1 item
  local -a drop=(-fill '#7a7a7a' -draw "rectangle $x,32 $((x + 100)),$((32 + height))"
                 -fill white -draw "rectangle $((x + 1)),33 $((x + 99)),$((31 + height))"
                 -font "$FONT" -pointsize 9)
  for item in "$@"; do
    local y=$((34 + (i - 1) * 14)) colour=black
    if [ "$item" = - ]; then
      drop+=(-fill '#a0a0a0' -draw "line $((x + 4)),$((y + 6)) $((x + 96)),$((y + 6))")
    else
      if [ $i -eq "$selected" ]; then
        drop+=(-fill "$SELECT" -draw "rectangle $((x + 2)),$y $((x + 98)),$((y + 12))")
        colour=white
      fi
      drop+=(-fill "$colour" -annotate "+$((x + 10))+$((y + 10))" "$item")
    fi
    i=$((i + 1))
  done
  window "$out" Quintaxel "$menu" -fill '#c8c8c8' -draw "$(text_lines 84 3 150)" "${drop[@]}"
}

draw_language() {
  set_language "$1"
  dir=help/$1

  window "$dir/mainwindow.jpg" Quintaxel none \
    -font "$BOLD" -pointsize 11 -fill black -annotate +12+52 "$WELCOME" \
    -fill '#c8c8c8' -draw "$(text_lines 62 6 170)"

  convert -size 200x120 xc:white -stroke none \
    -fill "$TITLE_BLUE" -draw 'roundrectangle 68,10 132,74 12,12' \
    -fill none -stroke white -strokewidth 8 -draw 'circle 100,42 100,22' \
    -draw 'line 108,50 124,66' -stroke none \
    -font "$BOLD" -pointsize 14 -fill black -gravity north -annotate +0+84 Quintaxel \
    -quality 70 -strip "$dir/icon.jpg"

  convert -size 200x120 xc:'#3a6ea5' -stroke none \
    -fill "$FACE" -draw 'rectangle 0,10 76,119' -fill '#7a7a7a' -draw 'line 76,10 76,119' \
    -fill "$SELECT" -draw 'rectangle 2,14 74,28' \
    -font "$FONT" -pointsize 9 -fill white -annotate +6+25 "$PROGRAMS" -annotate +66+25 '>' \
    -fill "$FACE" -draw 'rectangle 77,14 199,78' -fill '#7a7a7a' -draw 'rectangle 77,14 77,78' \
    -draw "$(icon_at 81 18)" -draw "$(icon_at 81 34)" -draw "$(icon_at 81 50)" \
    -draw "$(icon_at 81 64)" -fill black \
    -annotate +95+27 Quintaxel -annotate +95+43 "$HOMEPAGE" -annotate +95+59 "$HELPLINK" \
    -annotate +95+73 "$UNINSTALL" \
    -quality 70 -strip "$dir/startmenu.jpg"

  convert -size 200x120 xc:'#3a8c8c' -stroke none \
    -fill "$TITLE_BLUE" -draw 'roundrectangle 84,26 116,58 6,6' \
    -fill none -stroke white -strokewidth 4 -draw 'circle 100,42 100,32' \
    -draw 'line 104,46 112,54' -stroke none \
    -fill white -draw 'rectangle 84,52 92,58' -fill black -draw 'line 85,57 91,53' \
    -font "$FONT" -pointsize 10 -fill white -gravity north -annotate +0+64 Quintaxel \
    -quality 70 -strip "$dir/desktop.jpg"

  convert -size 200x120 xc:white -stroke none \
    -fill "$TITLE_BLUE" -draw 'rectangle 10,30 190,56' \
    -draw "$(icon_at 15 38)" \
    -font "$BOLD" -pointsize 12 -fill white -annotate +30+48 Quintaxel \
    -fill "$FACE" -draw 'rectangle 140,35 154,51' -draw 'rectangle 156,35 170,51' \
    -draw 'rectangle 172,35 186,51' -fill black -draw 'rectangle 143,46 151,48' \
    -fill none -stroke black -draw 'rectangle 159,38 167,48' -draw 'line 175,38 183,48' \
    -draw 'line 183,38 175,48' -draw 'line 100,60 100,80' -stroke none \
    -font "$FONT" -pointsize 11 -fill black -gravity north -annotate +0+84 "$TITLEBAR" \
    -quality 70 -strip "$dir/titlebar.jpg"

  convert -size 200x120 xc:white -stroke none \
    -fill "$FACE" -draw 'rectangle 10,30 190,52' \
    -fill "$SELECT" -draw 'rectangle 14,33 52,49' \
    -font "$FONT" -pointsize 11 -fill white -annotate +18+45 "$FILE" -fill black \
    -annotate +60+45 "$VIEW" -annotate +100+45 "$HELP" \
    -fill none -stroke black -draw 'line 100,56 100,78' -stroke none \
    -fill black -gravity north -annotate +0+84 "$MENUBAR" \
    -quality 70 -strip "$dir/menubar.jpg"

  menu_picture "$dir/filemenu.jpg" file 0 0 "$EXIT"
  menu_picture "$dir/exit.jpg" file 0 1 "$EXIT"
  menu_picture "$dir/viewmenu.jpg" view 1 1 "$LARGE"
  menu_picture "$dir/helpmenu.jpg" help 2 0 "$CONTENTS" - "$ABOUT"

  window "$dir/largetext.jpg" Quintaxel none \
    -font "$BOLD" -pointsize 14 -fill black -annotate +10+56 "$WELCOME" \
    -fill '#c8c8c8' -draw "$(text_lines 68 4 170 6)"

  convert -size 200x120 xc:"$FACE" -stroke none \
    -fill '#7a7a7a' -draw 'rectangle 0,0 199,119' -fill "$FACE" -draw 'rectangle 1,1 198,118' \
    -fill "$TITLE_BLUE" -draw 'rectangle 2,2 197,17' \
    -font "$BOLD" -pointsize 10 -fill white -annotate +6+13 "$HELPTITLE" \
    -fill white -draw 'rectangle 2,20 197,117' \
    -font "$BOLD" -pointsize 11 -fill black -annotate +10+38 "$HELPTITLE" \
    -font "$FONT" -pointsize 9 -fill '#1a4dc0' -annotate +18+58 "$LINK1" \
    -annotate +18+74 "$LINK2" -annotate +18+90 "$LINK3" \
    -draw 'rectangle 10,52 13,55' -draw 'rectangle 10,68 13,71' -draw 'rectangle 10,84 13,87' \
    -quality 70 -strip "$dir/contents.jpg"

  convert -size 200x120 xc:"$FACE" -stroke none \
    -fill '#7a7a7a' -draw 'rectangle 20,8 179,111' -fill "$FACE" -draw 'rectangle 21,9 178,110' \
    -fill "$TITLE_BLUE" -draw 'rectangle 22,10 177,25' \
    -font "$BOLD" -pointsize 10 -fill white -annotate +27+21 "$ABOUT" \
    -fill '#2060d0' -draw 'circle 42,46 42,34' -fill white \
    -draw 'rectangle 40,44 44,54' -draw 'rectangle 40,38 44,41' \
    -font "$FONT" -pointsize 9 -fill black -annotate +62+42 'Quintaxel 1.0' \
    -annotate +62+54 'Vorlen Software' -pointsize 8 -annotate +62+70 "$INTERFACE" \
    -fill '#7a7a7a' -draw 'rectangle 80,84 120,102' -fill "$FACE" -draw 'rectangle 81,85 119,101' \
    -fill black -pointsize 9 -annotate +93+97 OK \
    -quality 70 -strip "$dir/about.jpg"

  if [ "$1" = english ]; then english_row=58 else_row=72; else english_row=72 else_row=58; fi
  convert -size 200x120 xc:"$FACE" -stroke none \
    -fill '#7a7a7a' -draw 'rectangle 0,0 199,119' -fill "$FACE" -draw 'rectangle 1,1 198,118' \
    -fill "$TITLE_BLUE" -draw 'rectangle 2,2 197,17' \
    -font "$BOLD" -pointsize 10 -fill white -annotate +6+13 "$SETUP" \
    -fill white -draw 'rectangle 2,18 197,38' \
    -font "$BOLD" -pointsize 9 -fill black -annotate +8+32 "$STEP" \
    -fill '#7a7a7a' -draw 'rectangle 20,46 120,90' -fill white -draw 'rectangle 21,47 119,89' \
    -fill "$SELECT" -draw "rectangle 22,$((english_row - 10)) 118,$((english_row + 2))" \
    -font "$FONT" -fill white -annotate "+26+$english_row" "$SELECTED" \
    -fill '#7a7a7a' -draw 'rectangle 88,96 140,114' -draw 'rectangle 144,96 196,114' \
    -fill "$FACE" -draw 'rectangle 89,97 139,113' -draw 'rectangle 145,97 195,113' \
    -fill black -pointsize 8 -annotate +94+108 "$NEXT" -annotate +150+108 "$CANCEL" \
    -annotate "+26+$else_row" "$([ "$1" = english ] && echo Русский || echo English)" \
    -quality 70 -strip "$dir/setuplanguage.jpg"

  set_language english
  window "$dir/english.jpg" Quintaxel none \
    -font "$BOLD" -pointsize 11 -fill black -annotate +12+52 'Welcome to Quintaxel' \
    -fill '#c8c8c8' -draw "$(text_lines 62 6 170)"
  set_language russian
  window "$dir/russian.jpg" Quintaxel none \
    -font "$BOLD" -pointsize 11 -fill black -annotate +12+52 'Добро пожаловать' \
    -fill '#c8c8c8' -draw "$(text_lines 62 6 170)"
}

# A white Q on a blue rounded square, drawn at each size rather than scaled, so the 16x16 one
# stays sharp.
draw_icon() {
  local work
  work=$(mktemp -d)
  convert -size 32x32 xc:none -fill "$TITLE_BLUE" -draw 'roundrectangle 1,1 30,30 6,6' \
    -fill none -stroke white -strokewidth 4 -draw 'circle 15,15 15,6' -draw 'line 18,18 26,26' \
    -strip "$work/32.png"
  convert -size 16x16 xc:none -fill "$TITLE_BLUE" -draw 'roundrectangle 0,0 15,15 3,3' \
    -fill none -stroke white -strokewidth 2 -draw 'circle 7.5,7.5 7.5,3' -draw 'line 9,9 13,13' \
    -strip "$work/16.png"
  convert "$work/16.png" "$work/32.png" -strip quintaxel/quintaxel.ico
  rm -r "$work"
}

draw_icon
draw_language english
draw_language russian
