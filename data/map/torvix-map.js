/*
 * The route map shared by gps.html, gps_eng.html, gps_jpn.html and gps_kor.html.
 *
 * The player drives the page through its global functions (addPos, delPos, setDefaultPos,
 * setAdminDistrictName, and replotPos and setSpeedUnit besides) and hears back from it through the
 * WebKit script message channel "torvixMap". See docs/map-pages.md for the whole contract.
 *
 * Each language page defines window.TORVIX_MAP_TEXTS before it includes this file:
 *   lang          BCP 47 tag of the page's texts
 *   offline       note shown in the corner while the map has no tiles
 *   imperial      true when the scale also shows miles and feet
 */
(function () {
    'use strict';

    var texts = window.TORVIX_MAP_TEXTS || {};

    // Where the map rests when no recording position is known: the middle of the Korean peninsula,
    // the area that the district lookup covers.
    var DEFAULT_CENTER = [36.35, 127.8];
    var DEFAULT_ZOOM = 7;
    // The zoom the view takes when the first route point arrives from a far view (the country
    // view of setDefaultPos); a view already closer keeps its zoom, so that the route sent again
    // after every jump does not undo the user's zooming.
    var ROUTE_ZOOM = 16;
    var NEAR_ZOOM = 12;
    var OSM_TILES = 'https://tile.openstreetmap.org/{z}/{x}/{y}.png';
    var OSM_ATTRIBUTION = '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors';
    // Tiles that neither load nor fail within this time (a network that swallows requests) count as
    // failed, so that the route never sits on an empty grey square.
    var TILE_WATCHDOG_MS = 8000;
    // The route without speeds keeps one colour; with speeds it takes the speed graph's colour
    // steps: up to the limit sky blue, above it orange-red. The limit is 200 km/h, or 120 mph
    // when the player counts in miles.
    var ROUTE_COLOUR = '#1e6fd9';
    var SPEED_COLOURS = { normal: '#1ec7ff', over: '#ff5a00', plain: ROUTE_COLOUR };
    var SPEED_LIMITS = [{ limit: 200, factor: 1, unit: 'km/h' }, { limit: 120, factor: 0.6213712, unit: 'mph' }];

    var map = null;
    var route = null;        // L.Polyline of the points since the last delPos()
    var speeds = [];         // the speed of each route point (km/h), null where none was given
    var runs = [];           // {step, line}: the coloured stretches while the route has speeds
    var runLayer = null;     // L.LayerGroup holding the runs' lines
    var speedUnit = 0;       // 0 km/h, 1 mph
    var legend = null;       // the legend's element
    var marker = null;       // L.CircleMarker at the last point; absent while there is none
    var tiles = null;        // the tile layer while the online look is on
    var scale = null;        // the scale control while the offline look is on
    var look = '';           // 'online' or 'offline'
    var tilesLoaded = 0;
    var watchdog = 0;
    var districtLabel = null;
    var pendingDistrict = '';

    function post(message) {
        try {
            var handlers = window.webkit && window.webkit.messageHandlers;
            if (handlers && handlers.torvixMap) handlers.torvixMap.postMessage(JSON.stringify(message));
        } catch (e) {
            // Outside the player (a plain browser) there is nobody to tell.
        }
    }

    // The tile source comes from the page address: "?tiles=off" forces the offline look, "?tiles=URL"
    // names another tile server ({z}/{x}/{y} template), anything else uses OpenStreetMap.
    function tileSource() {
        var value = null;
        try {
            value = new URLSearchParams(window.location.search).get('tiles');
        } catch (e) {
            value = null;
        }
        if (value === 'off') return null;
        if (value && /^https?:\/\//.test(value)) return value;
        return OSM_TILES;
    }

    function setOfflineLook(reason) {
        if (look === 'offline') return;
        if (watchdog) {
            clearTimeout(watchdog);
            watchdog = 0;
        }
        if (tiles) {
            // Leaflet's attribution control drops the tile credit together with the layer.
            map.removeLayer(tiles);
            tiles = null;
        }
        document.body.classList.add('offline');
        scale = L.control.scale({ position: 'bottomleft', metric: true, imperial: !!texts.imperial }).addTo(map);
        look = 'offline';
        // A page asked for the offline look says so in its ready message; only a change is news.
        if (reason !== 'requested') post({ event: 'look', look: 'offline', reason: reason });
    }

    function setOnlineLook(source) {
        tiles = L.tileLayer(source, { maxZoom: 19, attribution: OSM_ATTRIBUTION });
        tiles.on('tileload', function () {
            tilesLoaded += 1;
            if (watchdog) {
                clearTimeout(watchdog);
                watchdog = 0;
            }
        });
        // One failed tile before any tile has arrived means there is no tile server to be had;
        // after that a single failure is only a gap and the online look stays.
        tiles.on('tileerror', function () {
            if (tilesLoaded === 0) setOfflineLook('tile-error');
        });
        tiles.addTo(map);
        look = 'online';
        watchdog = setTimeout(function () {
            watchdog = 0;
            if (tilesLoaded === 0) setOfflineLook('tile-timeout');
        }, TILE_WATCHDOG_MS);
    }

    function validPoint(lat, lng) {
        return typeof lat === 'number' && typeof lng === 'number' && isFinite(lat) && isFinite(lng) &&
            lat >= -90 && lat <= 90 && lng >= -180 && lng <= 180;
    }

    function showDistrict(name) {
        if (!districtLabel) return;
        districtLabel.textContent = name;
        districtLabel.style.display = name.length ? 'block' : 'none';
    }

    /* ---- the route and its speed colours ---- */

    // A speed as given (km/h), or null when none was: a route without speeds keeps its one colour.
    function speedValue(speed) {
        if (speed === undefined || speed === null) return null;
        var v = Number(speed);
        return isFinite(v) && v >= 0 ? v : null;
    }

    function stepOf(speed) {
        if (speed === null) return 'plain';
        var rule = SPEED_LIMITS[speedUnit];
        return speed * rule.factor > rule.limit ? 'over' : 'normal';
    }

    function hasSpeeds() {
        for (var i = 0; i < speeds.length; ++i) if (speeds[i] !== null) return true;
        return false;
    }

    function newRun(step, latlngs) {
        var line = L.polyline(latlngs, {
            color: SPEED_COLOURS[step], weight: 6, opacity: 1, lineCap: 'round', lineJoin: 'round',
            interactive: false, className: 'torvix-route-speed'
        });
        runLayer.addLayer(line);
        runs.push({ step: step, line: line });
    }

    // The stretch from the point before to this one takes the colour of this point's speed.
    function extendRuns(from, to, speed) {
        var step = stepOf(speed);
        var run = runs.length ? runs[runs.length - 1] : null;
        if (run && run.step === step && from) run.line.addLatLng(to);
        else newRun(step, from ? [from, to] : [to]);
    }

    // Every run is built whole before it is drawn: a line redraws itself at each added point,
    // which for a long route would cost the square of its length.
    function rebuildRuns() {
        runLayer.clearLayers();
        runs = [];
        var colourful = hasSpeeds();
        // With speeds the runs draw the line; the plain line stays for the points only.
        route.setStyle({ opacity: colourful ? 0 : 1 });
        showLegend(colourful);
        if (!colourful) return;
        var points = route.getLatLngs();
        var step = null;
        var latlngs = null;
        for (var i = 0; i < points.length; ++i) {
            var next = stepOf(speeds[i]);
            if (latlngs && next === step) {
                latlngs.push(points[i]);
                continue;
            }
            if (latlngs) newRun(step, latlngs);
            latlngs = i ? [points[i - 1], points[i]] : [points[i]];
            step = next;
        }
        if (latlngs) newRun(step, latlngs);
    }

    function showLegend(show) {
        if (!legend) return;
        var rule = SPEED_LIMITS[speedUnit];
        legend.querySelector('.torvix-legend-normal').textContent = '\u2264 ' + rule.limit + ' ' + rule.unit;
        legend.querySelector('.torvix-legend-over').textContent = '> ' + rule.limit + ' ' + rule.unit;
        legend.style.display = show ? 'block' : 'none';
    }

    // Adds a point unless it repeats the last one (a second without a fix); true when it did.
    function appendPoint(point, speed) {
        var points = route.getLatLngs();
        var last = points.length ? points[points.length - 1] : null;
        if (last && last.equals(point)) return false;
        route.addLatLng(point);
        speeds.push(speed);
        if (speed !== null && route.options.opacity !== 0) {
            rebuildRuns(); // the first speed: the whole line takes its colours
        } else if (route.options.opacity === 0) {
            extendRuns(last, point, speed);
        }
        return true;
    }

    // The position marker at the point, in the middle of the view. The first point after a clear
    // brings a far view (the country view) close; a view already close keeps its zoom.
    function placeMarker(point) {
        if (!marker) {
            marker = L.circleMarker(point, {
                radius: 9, color: '#ffffff', weight: 3, fillColor: '#e3262f', fillOpacity: 1,
                interactive: false, className: 'torvix-position'
            }).addTo(map);
            map.setView(point, map.getZoom() >= NEAR_ZOOM ? map.getZoom() : ROUTE_ZOOM, { animate: false });
        } else {
            marker.setLatLng(point);
            marker.bringToFront();
            map.setView(point, map.getZoom(), { animate: false });
        }
    }

    function parsePoint(lat, lng) {
        lat = Number(lat);
        lng = Number(lng);
        return validPoint(lat, lng) ? L.latLng(lat, lng) : null;
    }

    /* ---- the functions the player calls ---- */

    // Appends a route point (signed decimal degrees) with its speed in km/h (optional), moves the
    // position marker there and keeps it in the middle of the view. Points that are not numbers or
    // lie outside the globe are ignored: a broken fix must not throw the view to the other side
    // of the world.
    window.addPos = function (lat, lng, speed) {
        var point = parsePoint(lat, lng);
        if (!map || !point) return false;
        appendPoint(point, speedValue(speed));
        placeMarker(point);
        return true;
    };

    // Removes every route point and the position marker; the view stays where it is, since the
    // player usually sends the route again at once.
    window.delPos = function () {
        if (!map) return false;
        route.setLatLngs([]);
        speeds = [];
        rebuildRuns();
        if (marker) {
            map.removeLayer(marker);
            marker = null;
        }
        return true;
    };

    // The whole route at once, as delPos() followed by addPos() for every entry in order would
    // leave it: entries are [lat, lng] or [lat, lng, speed]; unusable entries are skipped as
    // addPos skips them. One redraw, however long the route.
    window.replotPos = function (list) {
        if (!map) return false;
        window.delPos();
        if (!Array.isArray(list)) return true;
        var points = [];
        var given = [];
        var last = null;
        for (var i = 0; i < list.length; ++i) {
            var entry = list[i];
            if (!Array.isArray(entry)) continue;
            var point = parsePoint(entry[0], entry[1]);
            if (!point) continue;
            if (!last || !last.equals(point)) {
                points.push(point);
                given.push(speedValue(entry[2]));
            }
            last = point;
        }
        route.setLatLngs(points);
        speeds = given;
        rebuildRuns();
        if (last) placeMarker(last);
        return true;
    };

    // The view of a recording without position: no route, no marker, the whole country.
    window.setDefaultPos = function () {
        if (!map) return false;
        window.delPos();
        map.setView(DEFAULT_CENTER, DEFAULT_ZOOM, { animate: false });
        return true;
    };

    // Shows the administrative district name in the label at the top of the map. The text is shown
    // as text, never parsed as markup; an empty text hides the label.
    window.setAdminDistrictName = function (name) {
        pendingDistrict = name === undefined || name === null ? '' : String(name);
        showDistrict(pendingDistrict);
        return !!map;
    };

    // The unit of the speed colours and the legend: 0 km/h (limit 200), 1 mph (limit 120).
    window.setSpeedUnit = function (unit) {
        speedUnit = Number(unit) === 1 ? 1 : 0;
        if (!map) return false;
        rebuildRuns();
        return true;
    };

    /* ---- building the map ---- */

    function build() {
        if (typeof L === 'undefined') {
            // libjs-leaflet is missing: the functions stay callable and do nothing.
            post({ event: 'error', reason: 'leaflet-missing' });
            return;
        }
        // tap: false, or WebKit delivers every click twice (once as a tap, once as a click).
        map = L.map('map', {
            tap: false,
            zoomControl: true,
            attributionControl: true,
            center: DEFAULT_CENTER,
            zoom: DEFAULT_ZOOM,
            fadeAnimation: false,
            zoomAnimation: false,
            markerZoomAnimation: false
        });
        route = L.polyline([], {
            color: ROUTE_COLOUR, weight: 6, opacity: 1, lineCap: 'round', lineJoin: 'round',
            interactive: false, className: 'torvix-route'
        }).addTo(map);
        runLayer = L.layerGroup().addTo(map);

        var District = L.Control.extend({
            options: { position: 'topright' },
            onAdd: function () {
                var div = L.DomUtil.create('div', 'torvix-district');
                div.id = 'district';
                L.DomEvent.disableClickPropagation(div);
                return div;
            }
        });
        districtLabel = new District().addTo(map).getContainer();
        showDistrict(pendingDistrict);

        var Legend = L.Control.extend({
            options: { position: 'bottomleft' },
            onAdd: function () {
                var div = L.DomUtil.create('div', 'torvix-legend');
                div.id = 'legend';
                ['normal', 'over'].forEach(function (step) {
                    var row = L.DomUtil.create('div', 'torvix-legend-row', div);
                    var swatch = L.DomUtil.create('span', 'torvix-legend-swatch', row);
                    swatch.style.background = SPEED_COLOURS[step];
                    L.DomUtil.create('span', 'torvix-legend-' + step, row);
                });
                L.DomEvent.disableClickPropagation(div);
                return div;
            }
        });
        legend = new Legend().addTo(map).getContainer();
        showLegend(false);

        var note = L.DomUtil.create('div', 'torvix-offline-note', document.getElementById('map'));
        note.textContent = texts.offline || '';

        var source = tileSource();
        if (source) setOnlineLook(source);
        else setOfflineLook('requested');

        map.on('click', function (e) {
            post({ event: 'click', lat: e.latlng.lat, lng: e.latlng.lng });
        });

        post({ event: 'ready', lang: texts.lang || '', look: look });
    }

    // Read by the player and by tests: what the page shows, without reaching into Leaflet.
    window.torvixMapState = function () {
        var c = map ? map.getCenter() : null;
        return {
            ready: !!map,
            look: look,
            points: route ? route.getLatLngs().length : 0,
            marker: marker ? [marker.getLatLng().lat, marker.getLatLng().lng] : null,
            center: c ? [c.lat, c.lng] : null,
            zoom: map ? map.getZoom() : null,
            district: pendingDistrict,
            speedUnit: speedUnit,
            legend: !!legend && legend.style.display !== 'none',
            runs: runs.map(function (run) { return [run.step, run.line.getLatLngs().length]; })
        };
    };

    build();
})();
