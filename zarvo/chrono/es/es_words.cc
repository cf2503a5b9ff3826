#include "zarvo/chrono/es/es_words.h"

namespace zarvo::chrono::es {

const WordTable& weekdays() {
  static const WordTable table{
      {u"domingo", 0}, {u"dom", 0},       {u"lunes", 1},     {u"lun", 1},     {u"martes", 2},
      {u"mar", 2},     {u"miércoles", 3}, {u"miercoles", 3}, {u"mie", 3},     {u"jueves", 4},
      {u"jue", 4},     {u"viernes", 5},   {u"vier", 5},      {u"vie", 5},     {u"sábado", 6},
      {u"sabado", 6},  {u"sab", 6},
  };
  return table;
}

const WordTable& months() {
  static const WordTable table(
      {
          {u"enero", 1},       {u"ene", 1},  {u"ene.", 1},  {u"febrero", 2},    {u"feb", 2},   {u"feb.", 2},
          {u"marzo", 3},       {u"mar", 3},  {u"mar.", 3},  {u"abril", 4},      {u"abr", 4},   {u"abr.", 4},
          {u"mayo", 5},        {u"may", 5},  {u"may.", 5},  {u"junio", 6},      {u"jun", 6},   {u"jun.", 6},
          {u"julio", 7},       {u"jul", 7},  {u"jul.", 7},  {u"agosto", 8},     {u"ago", 8},   {u"ago.", 8},
          {u"septiembre", 9},  {u"sep", 9},  {u"sept", 9},  {u"sep.", 9},       {u"sept.", 9}, {u"octubre", 10},
          {u"oct", 10},        {u"oct.", 10}, {u"noviembre", 11}, {u"nov", 11}, {u"nov.", 11},
          {u"diciembre", 12},  {u"dic", 12}, {u"dic.", 12},
      },
      AlternationStyle{.suffix = {}, .blank = {}, .escapeMetacharacters = true});
  return table;
}

const AmountWords& amountWords() {
  static const WordTable articles{{u"un", 1}, {u"una", 1}};
  static const AmountWords words{
      .numbers = nullptr, .articles = &articles, .emptyMeansOne = false, .few = {}, .half = u"medi"};
  return words;
}

}  // namespace zarvo::chrono::es
