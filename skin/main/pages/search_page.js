// The search page (and the column search page): the program calls
// getMovieData with every result so far and doSort(nowSortBy,'','sys')
// after each site, and RSSRequest with the keyword when the search starts.
'use strict';

var nowSortBy = 'mrate';
var nowSortUp = true;
var gItems = [];
var gKeyword = '';
var gHadData = false;

function byId(id) { return document.getElementById(id); }

function showStatus(text, empty) {
  var status = byId('status');
  status.textContent = text;
  status.className = 'status' + (empty ? ' empty' : '');
  status.classList.toggle('hidden', !text);
}

function getMovieData(xmlText) {
  gItems = Quelt.parseItems(xmlText);
  gHadData = true;
  draw();
}

// by: a field of the XML; order: 'up', 'down' or '' (the field's own, or
// the current one when the program asks, from 'sys'); from: 'sys' for the
// program, 'user' for the page's buttons (a second click turns the order).
function doSort(by, order, from) {
  if (!Quelt.sorts[by]) by = 'mrate';
  if (order === 'up' || order === 'down') nowSortUp = order === 'up';
  else if (from === 'user') nowSortUp = by === nowSortBy ? !nowSortUp : Quelt.sorts[by].up;
  else if (by !== nowSortBy) nowSortUp = Quelt.sorts[by].up;
  nowSortBy = by;
  var buttons = document.querySelectorAll('.sort button');
  for (var i = 0; i < buttons.length; i++)
    buttons[i].classList.toggle('on', buttons[i].getAttribute('data-by') === nowSortBy);
  draw();
}

function RSSRequest(keyword) {
  gKeyword = String(keyword);
  byId('heading').textContent = Quelt.tr('“%1”的搜索结果', gKeyword);
  document.title = gKeyword;
}

function draw() {
  var list = byId('results');
  Quelt.fill(list, Quelt.sorted(gItems, nowSortBy, nowSortUp));
  byId('count').textContent = gItems.length ? Quelt.tr('%1 个视频', gItems.length) : '';
  byId('more').classList.toggle('hidden', !gItems.length);
  if (gItems.length) showStatus('');
  else if (gHadData) showStatus(Quelt.tr('没有找到相关的视频。换个关键词试试？'), true);
}

// The monitor page fills its keyword box from the program; nothing here.
function inputToSelect() {}

// The parts both search pages have, built once the document has been read:
// the bar with the heading (the page's title until the keyword comes),
// the count and the sort buttons; the status line; the results,
// laid out as the body's data-layout says ("grid" or "rows"); the link to
// more results.
function buildPage() {
  var body = document.body;
  var bar = Quelt.element('div', 'bar');
  var heading = Quelt.element('h1', '', Quelt.tr(document.title || '搜索结果'));
  heading.id = 'heading';
  bar.appendChild(heading);
  var count = Quelt.element('span', 'meta');
  count.id = 'count';
  bar.appendChild(count);
  var sort = Quelt.element('div', 'sort', Quelt.tr('排序'));
  [['mrate', '速度'], ['playcount', '播放数'], ['vcount', '观看数'], ['mtitle', '标题']].forEach(function (by) {
    var button = Quelt.element('button', by[0] === nowSortBy ? 'on' : '', Quelt.tr(by[1]));
    button.setAttribute('type', 'button');
    button.setAttribute('data-by', by[0]);
    button.addEventListener('click', function () { doSort(by[0], '', 'user'); });
    sort.appendChild(button);
  });
  bar.appendChild(sort);
  body.appendChild(bar);
  var status = Quelt.element('div', 'status', Quelt.tr('正在搜索各个视频网站……'));
  status.id = 'status';
  body.appendChild(status);
  var results = Quelt.element('div', body.getAttribute('data-layout') === 'rows' ? 'rows' : 'grid');
  results.id = 'results';
  body.appendChild(results);
  var more = Quelt.link('searchmorexev://next', 'more hidden', Quelt.tr('更多结果'));
  more.id = 'more';
  body.appendChild(more);
}

document.addEventListener('DOMContentLoaded', buildPage);
