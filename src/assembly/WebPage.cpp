#include <string>

#include "assembly/WebService.h"

namespace baromon::assembly {

namespace {

// The whole page: nothing is fetched from elsewhere, so it works on a boat without a
// connection. Values are text (read out by screen readers); the barogram is drawn by the
// monitor at the window's size times its pixel ratio, so it is sharp on a phone.
constexpr const char* kPage = R"PAGE(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>baromon</title>
<style>
:root { --fg: #111; --bg: #fff; --muted: #555; --fall: #c00000; --line: #ccc; }
@media (prefers-color-scheme: dark) {
  :root { --fg: #eee; --bg: #121212; --muted: #aaa; --fall: #ff6b6b; --line: #444; }
}
* { box-sizing: border-box; }
html, body { margin: 0; padding: 0; background: var(--bg); color: var(--fg);
  font: 16px/1.4 system-ui, sans-serif; overflow-x: hidden; }
header { padding: 0.5rem 0.75rem; }
h1 { font-size: 1.1rem; margin: 0 0 0.25rem 0; }
dl { display: grid; grid-template-columns: repeat(auto-fill, minmax(9.5rem, 1fr)); gap: 0.25rem 1rem; margin: 0; }
dl div { border-bottom: 1px solid var(--line); padding: 0.2rem 0; }
dt { font-size: 0.8rem; color: var(--muted); }
dd { margin: 0; font-size: 1.3rem; font-variant-numeric: tabular-nums; }
dd.pressure { font-size: 1.8rem; font-weight: 700; }
dd.fall { color: var(--fall); font-weight: 700; }
#state { font-size: 0.85rem; color: var(--muted); margin: 0.25rem 0 0 0; }
nav { display: flex; flex-wrap: wrap; gap: 0.4rem; align-items: center; padding: 0.25rem 0.75rem 0.5rem; }
button, select { font: inherit; padding: 0.3rem 0.6rem; color: var(--fg); background: var(--bg);
  border: 1px solid var(--muted); border-radius: 4px; }
label { display: inline-flex; gap: 0.3rem; align-items: center; }
#barogram { display: block; max-width: none; }
</style>
</head>
<body>
<header>
<h1 id="title">baromon</h1>
<dl aria-live="polite">
<div><dt id="l-pressure">Air pressure</dt><dd id="pressure" class="pressure">–</dd></div>
<div><dt id="l-t1">Tendency 1 h</dt><dd id="t1">–</dd></div>
<div><dt id="l-t3">Tendency 3 h</dt><dd id="t3">–</dd></div>
<div><dt id="l-t6">Tendency 6 h</dt><dd id="t6">–</dd></div>
<div><dt id="l-var">Variation 5 min</dt><dd id="var">–</dd></div>
<div><dt id="l-temp">Temperature</dt><dd id="temp">–</dd></div>
<div><dt id="l-volt">Voltage</dt><dd id="volt">–</dd></div>
<div><dt id="l-time">Time (UTC)</dt><dd id="time">–</dd></div>
</dl>
<p id="state" role="status"></p>
</header>
<nav aria-label="barogram">
<label><span id="l-span">Span</span>
<select id="span">
<option value="3">3½ d</option><option value="6">7 d</option>
<option value="10">10 d</option><option value="21">21 d</option>
</select></label>
<button id="older" type="button">◀</button>
<button id="newer" type="button">▶</button>
<label><input id="paper" type="checkbox"> <span id="l-paper">Paper</span></label>
</nav>
<img id="barogram" alt="Barogram">
<script>
"use strict";
const texts = {
  DE: ["Luftdruck", "Tendenz 1 h", "Tendenz 3 h", "Tendenz 6 h", "Variation 5 min", "Temperatur",
       "Spannung", "Zeit (UTC)", "Zeitraum", "Papier", "älter", "neuer", "Barogramm", "keine Verbindung",
       "schneller Druckfall!", "Barogramm der letzten Tage"],
  EN: ["Air pressure", "Tendency 1 h", "Tendency 3 h", "Tendency 6 h", "Variation 5 min", "Temperature",
       "Voltage", "Time (UTC)", "Span", "Paper", "older", "newer", "Barogram", "no connection",
       "fast pressure fall!", "Barogram of the last days"],
  FR: ["Pression", "Tendance 1 h", "Tendance 3 h", "Tendance 6 h", "Variation 5 min", "Température",
       "Tension", "Heure (UTC)", "Durée", "Papier", "plus ancien", "plus récent", "Barogramme",
       "pas de connexion", "chute rapide de pression !", "Barogramme des derniers jours"],
  NL: ["Luchtdruk", "Tendens 1 u", "Tendens 3 u", "Tendens 6 u", "Variatie 5 min", "Temperatuur",
       "Spanning", "Tijd (UTC)", "Periode", "Papier", "ouder", "nieuwer", "Barogram", "geen verbinding",
       "snelle drukdaling!", "Barogram van de laatste dagen"],
  IT: ["Pressione", "Tendenza 1 h", "Tendenza 3 h", "Tendenza 6 h", "Variazione 5 min", "Temperatura",
       "Tensione", "Ora (UTC)", "Periodo", "Carta", "prima", "dopo", "Barogramma", "nessuna connessione",
       "rapida caduta di pressione!", "Barogramma degli ultimi giorni"],
  SP: ["Presión", "Tendencia 1 h", "Tendencia 3 h", "Tendencia 6 h", "Variación 5 min", "Temperatura",
       "Tensión", "Hora (UTC)", "Periodo", "Papel", "anterior", "posterior", "Barograma", "sin conexión",
       "¡caída rápida de presión!", "Barograma de los últimos días"],
};
const htmlLang = { DE: "de", EN: "en", FR: "fr", NL: "nl", IT: "it", SP: "es" };
const $ = (id) => document.getElementById(id);
let words = texts.EN, language = "", written = -1, offset = 1, step = 300, paperChosen = null, shown = "";

function setLanguage(code) {
  if (code === language || !texts[code]) return;
  language = code;
  words = texts[code];
  document.documentElement.lang = htmlLang[code];
  ["pressure", "t1", "t3", "t6", "var", "temp", "volt", "time", "span", "paper"].forEach((k, i) => {
    $("l-" + k).textContent = words[i];
  });
  $("older").setAttribute("aria-label", words[10]);
  $("newer").setAttribute("aria-label", words[11]);
  $("title").textContent = "baromon – " + words[12];
  $("barogram").alt = words[15];
}

function number(value, digits, unit, sign) {
  if (value === null || value === undefined) return "–";
  const text = value.toFixed(digits);
  return (sign && value >= 0 ? "+" : "") + text + " " + unit;
}

function show(v) {
  setLanguage(v.language);
  $("pressure").textContent = number(v.pressure_hpa, 2, "hPa", false);
  $("t1").textContent = number(v.tendency_1h_hpa, 1, "hPa/h", true);
  $("t3").textContent = number(v.tendency_3h_hpa, 1, "hPa/3h", true);
  $("t6").textContent = number(v.tendency_6h_hpa, 1, "hPa/6h", true);
  $("var").textContent = v.variation_hpa === null ? "–" : "±" + v.variation_hpa.toFixed(2) + " hPa";
  $("temp").textContent = number(v.temperature_c, 1, "°C", true);
  $("volt").textContent = number(v.voltage_v, 1, "V", false);
  $("time").textContent = v.time_utc ? v.time_utc.replace("T", " ").replace("Z", "") : "–";
  $("t1").classList.toggle("fall", v.fast_fall.one_hour);
  $("t3").classList.toggle("fall", v.fast_fall.three_hours);
  $("t6").classList.toggle("fall", v.fast_fall.six_hours);
  $("state").textContent = v.fast_fall.alarm ? words[14] : "";
  if (paperChosen === null) $("paper").checked = v.paper;
  if (written !== v.records_written) {
    written = v.records_written;
    drawBarogram(true);
  }
}

function drawBarogram(force) {
  const dpr = window.devicePixelRatio || 1;
  const cssWidth = window.innerWidth;
  const top = $("barogram").getBoundingClientRect().top + window.scrollY;
  const cssHeight = Math.max(Math.round(cssWidth * 0.5), Math.min(window.innerHeight - top, cssWidth * 0.7));
  const width = Math.min(4096, Math.max(101, Math.round(cssWidth * dpr)));
  const height = Math.max(71, Math.min(Math.floor(4096 * 4096 / width), Math.round(cssHeight * dpr)));
  const days = $("span").value;
  const paper = $("paper").checked ? 1 : 0;
  const url = "/barogram.png?width=" + width + "&height=" + height + "&days=" + days + "&offset=" + offset +
              "&paper=" + paper;
  if (url === shown && !force) return;
  shown = url;
  const img = $("barogram");
  img.style.width = (width / dpr) + "px";
  img.style.height = (height / dpr) + "px";
  img.src = url + "&n=" + written;
}

async function poll() {
  try {
    const answer = await fetch("/api/v1/current", { cache: "no-store" });
    show(await answer.json());
  } catch (e) {
    $("state").textContent = words[13];
  }
}

function stepOf(days) { return days <= 3 ? 300 : days <= 6 ? 600 : days <= 10 ? 900 : 1800; }
$("span").addEventListener("change", () => { step = stepOf(Number($("span").value)); drawBarogram(false); });
$("paper").addEventListener("change", () => { paperChosen = $("paper").checked; drawBarogram(false); });
$("older").addEventListener("click", () => { offset += 1000 * step / 300; drawBarogram(false); });
$("newer").addEventListener("click", () => {
  offset = Math.max(1, offset - 1000 * step / 300);
  drawBarogram(false);
});
let resizing = 0;
window.addEventListener("resize", () => {
  clearTimeout(resizing);
  resizing = setTimeout(() => drawBarogram(false), 200);
});
poll();
setInterval(poll, 1000);
</script>
</body>
</html>
)PAGE";

} // namespace

const std::string& webPage() {
  static const std::string page = kPage;
  return page;
}

} // namespace baromon::assembly
